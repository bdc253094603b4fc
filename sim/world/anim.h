// Animation dictionaries and clips as the world runs them.
#pragma once

#include "sim/world/world.h"

#include <cstdint>
#include <string>

namespace sim {

// Requested at least once, and the frames it takes to load have passed.
bool isDictLoaded(const std::string& dict);

std::uint32_t clipLength(const ClipTask& clip);

// World units per second along the ped's heading at playback speed 1.
float clipWalkRate(const ClipTask& clip);

// Runs a clip on by dtMs of game time: the phase moves by its playback speed,
// a looping clip wraps, a timed clip ends when its duration has passed.
void runClip(ClipTask& clip, std::uint32_t dtMs);

} // namespace sim
