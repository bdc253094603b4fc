// One seeded soak run: the plugin loaded into the stand-in world, frames run
// one by one with the generator's faults and the player's inputs before each,
// and the monitor's rules checked during and after each.
#pragma once

#include "soak/soak_stats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace soak {

struct RunResult {
    Stats stats;
    std::string settings;         // the profile the run started with
    std::int64_t failedFrame = 0; // 0 when every frame passed
    std::vector<std::string> failures;
};

RunResult runSoak(std::uint64_t seed, std::int64_t frames);

} // namespace soak
