// Playing a scenario through the plugin's frame loop in the stand-in host.
#pragma once

#include "play/outputs.h"
#include "scenario/scenario.h"

#include <string>

namespace simtool {

struct RunOptions {
    OutputRequest outputs;  // the trace and the picture
    std::string pluginPath; // Pallbrook.asi, for the build that loads it
    // Play in the current folder, as the game's working folder, with whatever
    // Pallbrook.ini stands there, instead of a fresh folder of its own.
    bool inCurrentFolder = false;
    // Play in this folder (made if missing), with the scenario's Pallbrook.ini
    // written there, and leave it with what the plugin wrote (a capture).
    std::string keptFolder;
};

// Prints the brief on standard output; returns 0 when every expectation held
// and the host saw no fault, 1 otherwise, 2 when the run is refused (a
// picture of frames or a drag it does not have, a file that cannot be
// written), with nothing written.
int runScenario(const Scenario& scenario, const RunOptions& options);

} // namespace simtool
