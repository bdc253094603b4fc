// pallbrook-soak: long seeded random runs of the plugin in the stand-in
// world, with faults injected and the drag feature's rules checked in every
// frame. A failing run prints its seed and frame; the same arguments with
// that frame count replay it exactly.
//
//   pallbrook-soak --seed S --frames N [--seeds K]
//
// runs seeds S to S+K-1 (K defaults to 1), N frames each.
#include "soak/soak_run.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool readNumber(const char* text, std::int64_t& out) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || value < 0) {
        return false;
    }
    out = value;
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: pallbrook-soak --seed S --frames N [--seeds K]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::int64_t seed = 1;
    std::int64_t frames = 10000;
    std::int64_t seeds = 1;
    for (int i = 1; i < argc; ++i) {
        std::int64_t* target = std::strcmp(argv[i], "--seed") == 0     ? &seed
                               : std::strcmp(argv[i], "--frames") == 0 ? &frames
                               : std::strcmp(argv[i], "--seeds") == 0  ? &seeds
                                                                       : nullptr;
        if (target == nullptr || i + 1 >= argc || !readNumber(argv[++i], *target)) {
            return usage();
        }
    }

    const auto started = std::chrono::steady_clock::now();
    soak::Stats total;
    int passed = 0;
    int failed = 0;
    for (std::int64_t s = seed; s < seed + seeds; ++s) {
        const soak::RunResult run = soak::runSoak(static_cast<std::uint64_t>(s), frames);
        total.add(run.stats);
        if (run.failures.empty()) {
            ++passed;
            std::printf("seed %lld: %lld frames, %lld drags completed, settings \"%s\": ok\n",
                        static_cast<long long>(s), static_cast<long long>(run.stats.frames),
                        static_cast<long long>(run.stats.dragsCompleted), run.settings.c_str());
        } else {
            ++failed;
            std::printf("seed %lld FAILED in frame %lld (settings \"%s\"):\n",
                        static_cast<long long>(s), static_cast<long long>(run.failedFrame),
                        run.settings.c_str());
            for (const auto& failure : run.failures) {
                std::printf("  %s\n", failure.c_str());
            }
            std::printf("  replay: pallbrook-soak --seed %lld --frames %lld\n",
                        static_cast<long long>(s), static_cast<long long>(run.failedFrame));
        }
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s", total.report().c_str());
    std::printf("time %.1f s\n", seconds);
    std::printf("soak: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
