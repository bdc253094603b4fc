#include "play/replay_progress.h"

#include "play/platform.h"

#include "capture/format/reader/capture_reader.h"

#include <cstdio>
#include <cstdlib>

namespace simtool {

namespace {

// Replays shorter than this show nothing (the tests set it to 0 through
// PALLBROOK_SIM_PROGRESS_AFTER_MS); the line is rewritten at most this often.
constexpr std::chrono::milliseconds QuietFor(2000);
constexpr auto Every = std::chrono::milliseconds(250);
constexpr std::int64_t FramesBetweenLooks = 64;

std::chrono::milliseconds quietFor() {
    const char* const given = std::getenv("PALLBROOK_SIM_PROGRESS_AFTER_MS");
    return given != nullptr ? std::chrono::milliseconds(std::atoi(given)) : QuietFor;
}

std::int64_t countFrames(std::span<const std::uint8_t> bytes) {
    capture::CaptureFrameReader reader;
    if (capture::openCapture(reader, bytes)) {
        return 0;
    }
    capture::CapturedFrame frame;
    capture::CaptureReadError error;
    std::int64_t frames = 0;
    while (capture::readNextFrame(reader, frame, error) == capture::FrameRead::Frame) {
        ++frames;
    }
    return frames;
}

} // namespace

ReplayProgress startProgress(std::span<const std::uint8_t> captureBytes) {
    ReplayProgress progress;
    progress.shown = isTerminal(stderr);
    progress.quietFor = quietFor();
    if (progress.shown) {
        progress.framesInFile = countFrames(captureBytes);
    }
    progress.started = std::chrono::steady_clock::now();
    progress.lastShown = progress.started;
    return progress;
}

void showProgress(ReplayProgress& progress, std::int64_t framesReplayed) {
    if (!progress.shown || framesReplayed % FramesBetweenLooks != 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.started < progress.quietFor ||
        (progress.lineWritten && now - progress.lastShown < Every)) {
        return;
    }
    progress.lastShown = now;
    progress.lineWritten = true;
    std::fprintf(stderr, "\rreplay: frame %lld of %lld", static_cast<long long>(framesReplayed),
                 static_cast<long long>(progress.framesInFile));
    std::fflush(stderr);
}

void endProgress(ReplayProgress& progress) {
    if (progress.lineWritten) {
        // Spaces over the line, which every console understands.
        std::fprintf(stderr, "\r%48s\r", "");
        std::fflush(stderr);
        progress.lineWritten = false;
    }
}

} // namespace simtool
