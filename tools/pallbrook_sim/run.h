// Playing a scenario through the plugin's frame loop in the stand-in host.
#pragma once

#include "scenario.h"

#include <string>

namespace pbsim {

struct RunOptions {
    std::string tracePath;  // empty: no trace
    std::string svgPath;    // empty: no picture
    std::string pluginPath; // Pallbrook.asi, for the build that loads it
};

// Prints the brief on standard output; returns 0 when every expectation held
// and the host saw no fault, 1 otherwise.
int runScenario(const Scenario& scenario, const RunOptions& options);

} // namespace pbsim
