// A part of a run, for a picture of a long one: a range of frames, or one
// drag by its number.
#pragma once

#include "report/track.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtool {

// Frames from first to last, both included.
struct FrameSpan {
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// What --frames and --drag ask to draw; neither: the whole run.
struct PartChoice {
    std::optional<FrameSpan> frames;
    std::optional<int> drag;
};

// Reads "FIRST-LAST", frame numbers from 1, FIRST not after LAST. Returns
// what is wrong, or nothing.
std::optional<std::string> readFrameSpan(const std::string& text, FrameSpan& span);
// Reads a drag number, from 1.
std::optional<std::string> readDragNumber(const std::string& text, int& drag);

// The frames of each drag, in the order the brief numbers them (drag 1 is
// the first pick-up, "-> PickingUp (drag 1)", cut short or not): from the
// frame in which its pick-up began to the frame in which the player was idle
// again, or the last frame of the run.
std::vector<FrameSpan> dragSpans(const Track& track);

// The frames that the choice asks for in this run; what is wrong when the run
// does not have them (a range beyond its frames, a drag it does not have).
std::optional<std::string> chooseFrames(const Track& track, const PartChoice& choice,
                                        FrameSpan& chosen);

// The track within the frames: the samples and marks of those frames, and
// each ped from where it was when they began.
Track partOf(const Track& track, FrameSpan span);

} // namespace simtool
