// Runs frames of one scene, of the plugin or of its floor, for an instruction
// count under callgrind (bench/callgrind.sh): only measuredFrame is counted,
// so the setting up of the scene and the world's work between frames are not.
//
//   pallbrook_frame_instructions plugin|floor SCENE FRAMES
#include "frame_scenes.h"

#include "support/on_fibre.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

const bench::Floor* theFloor = nullptr;

extern "C" __attribute__((noinline)) void measuredFrame() {
    if (theFloor != nullptr) {
        bench::floorFrame(*theFloor);
    } else {
        bench::pluginFrame();
    }
}

int usage() {
    std::fprintf(stderr, "usage: pallbrook_frame_instructions plugin|floor SCENE FRAMES\nscenes:");
    for (const bench::Scene& scene : bench::scenes()) {
        std::fprintf(stderr, " %s", scene.name.c_str());
    }
    std::fprintf(stderr, "\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return usage();
    }
    const std::string mode = argv[1];
    const std::string name = argv[2];
    const int frames = std::atoi(argv[3]);
    const bench::Scene* scene = nullptr;
    for (const bench::Scene& candidate : bench::scenes()) {
        scene = candidate.name == name ? &candidate : scene;
    }
    if ((mode != "plugin" && mode != "floor") || scene == nullptr || frames <= 0) {
        return usage();
    }
    bench::Floor floor;
    try {
        scene->setUp();
        floor = bench::recordFloor();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), e.what());
        return 1;
    }
    theFloor = mode == "floor" ? &floor : nullptr;
    runOnFibre([frames] {
        for (int i = 0; i < frames; ++i) {
            measuredFrame();
            bench::endFrame();
        }
    });
    if (const std::string faults = bench::hostFaults(); !faults.empty()) {
        std::fprintf(stderr, "%s", faults.c_str());
        return 1;
    }
    std::printf("%s %s natives=%zu frames=%d\n", mode.c_str(), name.c_str(), floor.calls.size(),
                frames);
    return 0;
}
