// Playing a scenario through the plugin's frame loop in the stand-in host.
#pragma once

#include "scenario/scenario.h"

#include <string>

namespace simtool {

struct RunOptions {
    std::string tracePath;  // empty: no trace
    std::string svgPath;    // empty: no picture
    std::string pluginPath; // Pallbrook.asi, for the build that loads it
    // Play in the current folder, as the game's working folder, with whatever
    // Pallbrook.ini stands there, instead of a fresh folder of its own.
    bool inCurrentFolder = false;
    // Play in this folder (made if missing), with the scenario's Pallbrook.ini
    // written there, and leave it with what the plugin wrote (a capture).
    std::string keptFolder;
};

// Prints the brief on standard output; returns 0 when every expectation held
// and the host saw no fault, 1 otherwise.
int runScenario(const Scenario& scenario, const RunOptions& options);

} // namespace simtool
