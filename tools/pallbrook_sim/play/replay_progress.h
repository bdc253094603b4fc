// How far a long replay has got, on standard error when it is a terminal:
// "replay: frame N of M", rewritten in place, from a few seconds in, and
// wiped at the end. Nothing at all when standard error is not a terminal, and
// never anything on standard output, which holds the brief.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace simtool {

struct ReplayProgress {
    bool shown = false; // standard error is a terminal
    std::int64_t framesInFile = 0;
    std::chrono::milliseconds quietFor{0};
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastShown;
    bool lineWritten = false;
};

// Counts the frames of the capture (its bytes, already opened once) when the
// progress will be shown.
ReplayProgress startProgress(std::span<const std::uint8_t> captureBytes);
void showProgress(ReplayProgress& progress, std::int64_t framesReplayed);
void endProgress(ReplayProgress& progress);

} // namespace simtool
