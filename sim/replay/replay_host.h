// The stand-in host answering from a capture: every native call the plugin
// makes is checked against the one recorded at the same place (hash, words,
// texts by their content) and answered with the recorded result and
// out-parameter slots; the ped list comes from the recorded answers, and each
// wait must stand where the recording waited. The first place where the
// plugin does something else is kept as the difference, with its context.
#pragma once

#include "capture/format/reader/capture_reader.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ReplayDifference {
    std::int64_t frame = 0;          // the host's frame, from 1
    std::size_t callInFrame = 0;     // the event's place in its frame, from 1
    std::string recorded;            // the recorded event, decoded
    std::string now;                 // what the plugin did there, decoded
    std::vector<std::string> before; // the events before it, oldest first
};

// An event that matched, kept for a difference's context.
struct MatchedEvent {
    std::int64_t frame = 0;
    std::size_t placeInFrame = 0; // from 1
    capture::CapturedEvent event;
};

struct ReplayState {
    capture::CapturedFrame frame; // the recorded frame being played
    std::size_t next = 0;         // its next event
    bool frameHasWait = true;     // false for a last frame cut off by the capture's end
    bool recordingEnded = false;  // the plugin went on past the end of the recording
    std::optional<ReplayDifference> difference;
    std::deque<MatchedEvent> recent; // the last events that matched
    std::uint64_t eventsMatched = 0;
};

inline constexpr std::size_t ReplayContextEvents = 5;

// Makes the host answer from the replay state: every native call and the ped
// list. The state must outlive the host's use of it.
void installReplayHost(ReplayState& state);

// Plays one recorded frame: the plugin runs until it waits, and the wait must
// be the frame's last event. False when a difference was found.
bool replayFrame(ReplayState& state, capture::CapturedFrame frame);

// One event as a person reads it, with the natives' roles.
std::string describeEvent(const capture::CapturedEvent& event);

} // namespace sim
