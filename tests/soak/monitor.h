// Watches the plugin from the host's side while a soak runs: it sees every
// native call (host().onCall) and the end of every frame, keeps its own model
// of what the drag feature must do, and records each broken rule.
//
// Granularity. A game frame of the host is not always one iteration of the
// plugin's frame loop: while an animation dictionary loads, one iteration
// spans several host frames. An iteration starts in the first host frame
// that does not continue a wait, and a host frame continues a wait when the
// last call of the frame before was "dictionary loaded" answering no. The
// drag state is sampled at every native call and at the end of every frame;
// every change the plugin makes to it is followed by a native call before the
// next change can happen (each iteration reads the timer and then the
// player's ped), so each change between two samples is a single transition.
#pragma once

#include "drag/drag_state.h"
#include "soak/soak_stats.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {
struct NativeCall;
}

namespace soak {

// The follow-up action the plugin must have outstanding, as the monitor
// works it out: scheduled in an iteration with a due time on the timer.
struct FollowUp {
    bool active = false;
    std::int64_t iteration = 0;
    std::int32_t due = 0;
    bool acrossWrap = false;
};

class Monitor {
  public:
    explicit Monitor(Stats& stats) : stats_(stats) {}

    // Hooks the host's per-call callback.
    void install();
    void beginFrame();
    void endFrame();

    // The generator deleted this ped before the coming frame.
    void noteDeleted(std::int32_t handle);
    // The generator dropped a long-deleted ped from the world for good.
    void forgetDeleted(std::int32_t handle) { deletedBefore_.erase(handle); }
    // The host starts the script again at the coming frame.
    void noteScriptRestart() { settingsLoadFrame_ = true; }

    bool waiting() const { return waiting_; }
    const FollowUp& followUp() const { return followUp_; }
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    void onCall(const sim::NativeCall& call);
    void startIteration();
    void dragStep();
    void endIteration();
    void sample(std::uint64_t hash);
    void checkRecord(const char* where);
    void checkHandleUses();
    void checkPrompts();
    void fail(std::string message);

    Stats& stats_;
    std::vector<std::string> failures_;

    // Frames and iterations.
    bool waiting_ = false;
    bool iterationOpen_ = false;
    std::int64_t iteration_ = 0;
    std::int64_t iterationStartFrame_ = 0;
    std::uint64_t lastHash_ = 0;
    std::uint64_t lastAnswer_ = 0;
    bool settingsLoadFrame_ = true;
    bool pendingAtFrameStart_ = false;
    std::size_t allocationsAtFrameStart_ = 0;
    std::int32_t lastFrameTimer_ = 0;

    // The drag state as sampled.
    DragPhase sampled_ = DragPhase::Idle;
    DragPhase atIterationStart_ = DragPhase::Idle;
    bool pickupStarted_ = false;
    bool putdownStarted_ = false;

    // This iteration's timer reads.
    bool sawTimer_ = false;
    std::int32_t firstTimer_ = 0;
    std::int32_t lastTimer_ = 0;

    // The drag step of this iteration.
    bool sawDragStep_ = false;
    DragPhase atDragStep_ = DragPhase::Idle;
    std::string mustEnd_;
    bool playerBlocked_ = false;
    std::int32_t expectedBody_ = 0;
    int draggingIterations_ = 0;

    FollowUp followUp_;

    // Handles the generator deleted, with the frame before which it did.
    std::unordered_map<std::int32_t, std::int64_t> deletedBefore_;
    std::size_t handleUsesSeen_ = 0;
    std::size_t promptUsesSeen_ = 0;
    std::size_t hostErrorsSeen_ = 0;
};

} // namespace soak
