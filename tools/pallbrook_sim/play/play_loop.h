// The frame loop that every way of playing shares: it runs the plugin's frames
// in the stand-in host, prints each frame's lines of the brief (the
// observer's, the prompt watch's and any said for the frame) after the frame
// number and game time, keeps the track the picture is drawn from, writes the
// call trace, and checks the brief's account against the plugin's own state
// where the build can see it. What is played, and what is checked, is the
// caller's.
#pragma once

#include "drag/drag_state.h"
#include "report/brief/observer.h"
#include "report/brief/ped_places.h"
#include "report/brief/prompt_book.h"
#include "report/brief/prompt_watch.h"
#include "report/brief/run_summary.h"
#include "report/brief/search_reading.h"
#include "report/trace/trace.h"
#include "report/track.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace simtool {

class PlayLoop {
  public:
    // Game time starts at startTimeMs and runs on frameTimeMs a frame.
    PlayLoop(std::uint32_t startTimeMs, std::uint32_t frameTimeMs);
    PlayLoop(const PlayLoop&) = delete;
    PlayLoop& operator=(const PlayLoop&) = delete;

    // Writes every recorded event as a line of the trace there (null: none).
    void traceTo(std::ostream* trace) { trace_ = trace; }
    // Tells the trace which answers were made up (a replay past a difference).
    void answersMadeUpWhen(std::function<bool()> madeUp) { madeUp_ = std::move(madeUp); }
    // The detection radius in force, told beside a distance.
    void useDetectionRadius(float radius) {
        detectionRadius_ = radius;
        track_.detectionRadius = radius;
    }
    // Marks the place of a replay's difference, where the player is now.
    void markDifference(std::string label);
    // Hands every native call, ped list and wait of the host to the observer,
    // the reading of the search and the trace, until stopListening.
    void listen();
    // The prompts and the places of the peds come from the plugin's calls,
    // not from the world (a replay).
    void tellFromCalls() {
        promptsFromCalls_ = true;
        observer_.worldDoesNotTell();
        places_.tellFromCalls();
    }
    void stopListening();

    // Game time as the timer reads it, counted on without wrapping.
    std::int64_t clock() const;
    // Game time from elsewhere (a capture's timer answers) instead.
    void useClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // The column heads of the brief's frame lines.
    static void printColumnHeads();
    // A line of the brief now, after the frame number and the game time.
    void print(const std::string& line);
    // A line for the brief of the frame being run, printed after that frame.
    void say(std::string line) { pending_.push_back(std::move(line)); }

    // Plays frames until the world's frame count reaches `frames` or a fault
    // stops the run, calling afterFrame after each frame. Shows progress on a
    // terminal for long runs.
    void play(std::int64_t frames, const std::function<void()>& afterFrame);
    // One frame, run by `runFrame` instead of the host's frame step, with the
    // brief's lines, the track and the checks of any other frame.
    void playFrame(const std::function<void()>& runFrame);

    // Prints the host's faults not printed yet.
    void reportHostErrors();
    // "end after N frames: state S, player at (x, y, z) facing h deg".
    void printEnd() const;
    // The closing summary: the drags and their ends, the time with a prompt
    // and without, the most frequent reason for no prompt.
    void printSummary();

    // A fault that ends the run after the frame it happened in.
    void fail(std::string why) { fault_ = std::move(why); }
    const std::string& fault() const { return fault_; }

    DragPhase phase() const { return observer_.phase(); }
    const Track& track() const { return track_; }

  private:
    void frame(const std::function<void()>& runFrame);
    void sample();
    void trace(const std::function<std::string(const TracePlace&)>& line);
    void tellWhy(DragPhase before, const std::vector<sim::PromptView>& prompts);
    void crossCheck();
    void showProgress(bool terminal, std::int64_t frames);

    std::uint32_t startTimeMs_;
    std::uint32_t frameTimeMs_;
    Track track_;
    PedPlaces places_;
    Observer observer_{track_, places_};
    PromptWatch promptWatch_;
    PromptBook promptBook_;
    SearchReading search_;
    RunSummary summary_;
    std::string reasonTold_; // the key of the reason for no prompt said last
    float detectionRadius_ = 0.0f;
    bool promptStands_ = false;
    std::size_t eventInFrame_ = 0;
    std::function<bool()> madeUp_;
    bool promptsFromCalls_ = false;
    std::ostream* trace_ = nullptr;
    std::vector<std::string> pending_; // lines of the frame being run
    std::size_t errorsShown_ = 0;
    std::string fault_;
    bool progressShown_ = false;
    std::function<std::int64_t()> clock_;
};

} // namespace simtool
