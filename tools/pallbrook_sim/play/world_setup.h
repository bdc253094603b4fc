// Putting a scenario's world into the stand-in world, and the timeline's
// actions into it as they fall due.
#pragma once

#include "scenario/scenario.h"

#include <string>

namespace simtool {

// Sets time, ground, input, dictionaries, weapon classes, the player and the
// peds of the installed world, and names them.
void buildWorld(const WorldSetup& setup);

// Does what the action says. Returns what happened in a few words; throws
// std::runtime_error when the action names a ped that is not in the world.
std::string applyAction(const Action& action);

} // namespace simtool
