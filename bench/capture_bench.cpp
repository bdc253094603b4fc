// What capturing costs, scene by scene: the bytes that a minute of frames at
// 60 a second writes to the capture file, and the time of a frame with the
// capture on against the same frame with it off, measured side by side in one
// run (batches of frames taking turns, their ratio per round, the median of
// the rounds), and once more with capture on but its chunks not written, for
// the share of the one write a second of game time. The plugin here is the
// capture build; "off" is its capture layer passing the calls on without
// recording them, which costs what a function call costs
// (bench/capture_callgrind.sh counts it against the shipped plugin's frame in
// instructions).
//
//   pallbrook_capture_bench                      both tables
//   pallbrook_capture_bench bytes|time           one of them
//   pallbrook_capture_bench time SCENE...        the time of these scenes
//   pallbrook_capture_bench frame on|off SCENE FRAMES
//                                                frames for callgrind: only
//                                                measuredFrame is counted
//   pallbrook_capture_bench events SCENE         the events a frame records
//   pallbrook_capture_bench write SCENE FILE     a minute of frames captured
//                                                into FILE
//   pallbrook_capture_bench sizes [SCENE...]     a minute and its recording time,
//                                                and the half hour (capture_sizes.h)
//   pallbrook_capture_bench half-hour FILE       the half-hour scene captured
#include "capture_sizes.h"
#include "frame_scenes.h"

#include "capture/layer/capture_session.h"
#include "sim/world/world.h"
#include "support/on_fibre.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

using capture::CaptureState;

constexpr int FramesPerMinute = 60 * 60;
constexpr std::uint32_t FrameTimeMs = 17; // about 60 frames a second
constexpr int Rounds = 15;

// One frame as the script loop runs it: the plugin's frame, then the wait
// that ends it, which the capture layer records.
extern "C" __attribute__((noinline)) void measuredFrame() {
    bench::pluginFrame();
    capture::recordFrameEnd(0);
}

// Between frames game time passes, so the timer's answer changes as in the
// game; everything else repeats.
void nextFrame() {
    bench::endFrame();
    sim::world().gameTimeMs += FrameTimeMs;
}

// The same frame, not counted by callgrind: for warming up.
extern "C" __attribute__((noinline)) void warmUpFrame() {
    bench::pluginFrame();
    capture::recordFrameEnd(0);
}

void runFrames(int count, void (*frame)() = measuredFrame) {
    runOnFibre([count, frame] {
        for (int i = 0; i < count; ++i) {
            frame();
            nextFrame();
        }
    });
}

// Turns recording on or off while the capture stays open.
void setRecording(bool recording) {
    CaptureState.recording = recording;
}

// The scene set up afresh, with a new capture going to nowhere: the bytes are
// counted, not kept.
void setUp(const bench::Scene& scene, bool recording) {
    capture::finishCapture();
    CaptureState.options.fileName = "/dev/null";
    scene.setUp();
    capture::startCapture();
    setRecording(recording && CaptureState.file != nullptr);
}

std::uint64_t bytesOfAMinute(const bench::Scene& scene, const std::string& file = "/dev/null") {
    capture::finishCapture();
    CaptureState.options.fileName = file;
    scene.setUp();
    capture::startCapture();
    setRecording(CaptureState.file != nullptr);
    runFrames(FramesPerMinute);
    capture::finishCapture();
    return CaptureState.bytesWritten;
}

double secondsOf(int frames) {
    const auto start = std::chrono::steady_clock::now();
    runFrames(frames);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Timing {
    double offNs = 0.0;
    double onNs = 0.0;
    double ratio = 0.0;
    double notWrittenRatio = 0.0; // on, with the chunks not handed to the file, against off
};

// The three ways a batch of frames runs: the layer off, on, and on with the
// chunks it hands out not written (the file set aside for the batch), which
// tells the frames' share of the write once a second from the rest.
enum class Mode { Off, On, OnNotWritten };

double secondsIn(Mode mode, int frames) {
    setRecording(mode != Mode::Off);
    std::FILE* const file = CaptureState.file;
    if (mode == Mode::OnNotWritten) {
        CaptureState.file = nullptr;
    }
    const double seconds = secondsOf(frames);
    CaptureState.file = file;
    return seconds;
}

Timing timeOnAgainstOff(const bench::Scene& scene) {
    setUp(scene, true);
    runFrames(600); // the capture's buffers grow to their working size
    int batch = 50;
    while (secondsOf(batch) < 0.005 && batch < 1'000'000) {
        batch *= 2;
    }
    std::vector<double> ratios, notWrittenRatios, on, off;
    constexpr Mode Modes[] = {Mode::Off, Mode::On, Mode::OnNotWritten};
    for (int round = 0; round < Rounds; ++round) {
        double seconds[3] = {};
        for (int k = 0; k < 3; ++k) {
            const Mode mode = Modes[(k + round) % 3]; // the order turns from round to round
            seconds[static_cast<int>(mode)] = secondsIn(mode, batch);
        }
        off.push_back(seconds[0] / batch * 1e9);
        on.push_back(seconds[1] / batch * 1e9);
        ratios.push_back(seconds[1] / seconds[0]);
        notWrittenRatios.push_back(seconds[2] / seconds[0]);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    capture::finishCapture();
    return {median(off), median(on), median(ratios), median(notWrittenRatios)};
}

const bench::Scene* findScene(const std::string& name) {
    for (const bench::Scene& scene : bench::scenes()) {
        if (scene.name == name) {
            return &scene;
        }
    }
    std::fprintf(stderr, "no scene %s\n", name.c_str());
    return nullptr;
}

int frameMode(const std::string& mode, const std::string& name, int frames) {
    const bench::Scene* scene = findScene(name);
    if (scene == nullptr) {
        return 2;
    }
    setUp(*scene, mode == "on");
    runFrames(600, warmUpFrame); // the capture's buffers grow to their working size
    runFrames(frames);
    capture::finishCapture();
    return 0;
}

// The events a frame of the scene records: its native calls, its ped list if
// it asks for one, and the wait that ends it.
int eventsMode(const std::string& name) {
    const bench::Scene* scene = findScene(name);
    if (scene == nullptr) {
        return 2;
    }
    // A dragging scene starts the script, and with it a capture: to nowhere.
    CaptureState.options.fileName = "/dev/null";
    scene->setUp();
    const bench::Floor floor = bench::recordFloor();
    capture::finishCapture();
    std::printf("%zu\n", floor.calls.size() + (floor.pedListAfter >= 0 ? 1 : 0) + 1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string what = argc > 1 ? argv[1] : "";
        if (what == "frame" && argc == 5) {
            return frameMode(argv[2], argv[3], std::atoi(argv[4]));
        }
        if (what == "sizes") {
            return bench::printCaptureSizes({argv + 2, argv + argc});
        }
        if (what == "half-hour" && argc == 3) {
            return bench::writeHalfHour(argv[2]);
        }
        if (what == "events" && argc == 3) {
            return eventsMode(argv[2]);
        }
        if (what == "write" && argc == 4) {
            const bench::Scene* scene = findScene(argv[2]);
            return scene != nullptr && bytesOfAMinute(*scene, argv[3]) > 0 ? 0 : 2;
        }
        if (what == "" || what == "bytes") {
            std::printf("%-24s %14s %12s\n", "scene", "bytes/minute", "KiB/minute");
            for (const bench::Scene& scene : bench::scenes()) {
                const std::uint64_t bytes = bytesOfAMinute(scene);
                std::printf("%-24s %14llu %12.1f\n", scene.name.c_str(),
                            static_cast<unsigned long long>(bytes),
                            static_cast<double>(bytes) / 1024.0);
            }
        }
        if (what == "" || what == "time") {
            std::printf("%-24s %12s %12s %8s %12s\n", "scene", "off ns", "on ns", "on/off",
                        "not written");
            for (const bench::Scene& scene : bench::scenes()) {
                if (argc > 2 && std::find(argv + 2, argv + argc, scene.name) == argv + argc) {
                    continue;
                }
                const Timing t = timeOnAgainstOff(scene);
                std::printf("%-24s %12.0f %12.0f %8.3f %12.3f\n", scene.name.c_str(), t.offNs,
                            t.onNs, t.ratio, t.notWrittenRatio);
            }
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pallbrook_capture_bench: %s\n", error.what());
        return 1;
    }
}
