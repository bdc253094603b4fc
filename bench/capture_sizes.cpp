#include "capture_sizes.h"

#include "frame_scenes.h"

#include "capture/layer/capture_session.h"
#include "drag/drag_state.h"
#include "settings/control_hash.h"
#include "settings/settings.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "support/on_fibre.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace bench {

namespace {

using capture::CaptureState;

constexpr int FramesPerMinute = 60 * 60;
constexpr std::uint32_t FrameTimeMs = 17;
constexpr int HalfHourFrames = 30 * FramesPerMinute;
constexpr const char* HalfHourName = "drags/64/half_hour";
constexpr std::uint64_t HalfHourGoalBytes = 4u << 20;

// The half-hour scene: 64 bodies around the player, and every six seconds of
// game time a drag: the control held until the pick-up starts, steering (left
// and right in turn, walking on), the control held again for the put-down.
void setUpHalfHour() {
    setUpIdle(64, PedKind::Body);
    sim::world().keyboardAndMouse = true;
}

void steerHalfHour(std::int64_t gameMs, std::int64_t cycle) {
    const std::int64_t at = gameMs % 6000;
    const auto hold = [](const char* name, bool held) {
        const std::uint32_t control = name == nullptr ? Settings.DragInput : controlHash(name);
        held ? sim::holdControl(control) : sim::releaseControl(control);
    };
    const char* const turn = cycle % 2 == 0 ? "INPUT_MOVE_LEFT_ONLY" : "INPUT_MOVE_RIGHT_ONLY";
    hold(nullptr, (at < 700) || (at >= 4600 && at < 5300));
    hold(turn, at >= 1700 && at < 4500);
    hold("INPUT_MOVE_UP_ONLY", at >= 1700 && at < 4500);
}

struct Recorded {
    std::uint64_t bytes = 0;
    double seconds = 0.0;
    int dragsBegun = 0;
};

// Frames of a scene recorded into a file; halfHour drives the half-hour
// scene's controls between frames.
Recorded record(const Scene& scene, int frames, bool halfHour,
                const std::string& file = "/dev/null") {
    capture::finishCapture();
    CaptureState.options.fileName = file;
    scene.setUp();
    capture::startCapture();
    CaptureState.recording = CaptureState.file != nullptr;
    Recorded recorded;
    const auto start = std::chrono::steady_clock::now();
    runOnFibre([&] {
        const std::int64_t first = sim::world().gameTimeMs;
        for (int i = 0; i < frames; ++i) {
            const std::int64_t gameMs = sim::world().gameTimeMs - first;
            if (halfHour) {
                steerHalfHour(gameMs, gameMs / 6000);
            }
            const DragPhase before = DragState.state;
            pluginFrame();
            capture::recordFrameEnd(0);
            recorded.dragsBegun += before == DragPhase::Idle && DragState.state != DragPhase::Idle;
            endFrame();
            sim::world().gameTimeMs += FrameTimeMs;
        }
    });
    recorded.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    capture::finishCapture();
    recorded.bytes = CaptureState.bytesWritten;
    return recorded;
}

// A line a scene: its name, the bytes of a minute and the milliseconds
// recording a minute takes; the half hour also with its whole bytes.
void printRow(const Scene& scene, int frames, bool halfHour) {
    const Recorded r = record(scene, frames, halfHour);
    std::printf("%s %.0f %.1f", scene.name.c_str(),
                static_cast<double>(r.bytes) * FramesPerMinute / frames,
                r.seconds * 1000.0 * FramesPerMinute / frames);
    if (halfHour) {
        std::printf(" %llu", static_cast<unsigned long long>(r.bytes));
    }
    std::printf("\n");
    std::fflush(stdout);
    if (halfHour) {
        std::printf("goal: the half hour at most %llu bytes, %s\n",
                    static_cast<unsigned long long>(HalfHourGoalBytes),
                    r.bytes <= HalfHourGoalBytes ? "met" : "missed");
    }
}

} // namespace

int printCaptureSizes(const std::vector<std::string>& only) {
    const auto wanted = [&only](const std::string& name) {
        return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
    };
    std::printf("scene, bytes of a minute, ms recording a minute (the half hour: its bytes)\n");
    for (const Scene& scene : scenes()) {
        if (wanted(scene.name)) {
            printRow(scene, FramesPerMinute, false);
        }
    }
    if (wanted(HalfHourName)) {
        printRow({HalfHourName, setUpHalfHour}, HalfHourFrames, true);
    }
    return 0;
}

int writeHalfHour(const char* file) {
    const Recorded r = record({HalfHourName, setUpHalfHour}, HalfHourFrames, true, file);
    std::printf("%llu bytes, %d drags begun\n", static_cast<unsigned long long>(r.bytes),
                r.dragsBegun);
    return r.dragsBegun > 0 ? 0 : 1;
}

} // namespace bench
