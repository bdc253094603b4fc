// Playing a capture recorded in the game through the plugin's frame loop in
// the stand-in host, answering every call from the capture and stopping at
// the first call that differs from the recorded one.
#pragma once

#include <string>

namespace simtool {

struct ReplayOptions {
    std::string tracePath;    // empty: no trace
    std::string svgPath;      // empty: no picture
    std::string pluginPath;   // Pallbrook.asi, for the build that loads it
    std::string settingsPath; // empty: the Pallbrook.ini the capture holds
    std::string namesPath;    // a scenario whose ped names the brief uses
};

// Prints the brief on standard output; returns 0 when the plugin made every
// recorded call, 1 at the first difference (reported with its context) or a
// host fault, 2 for a file that is no readable capture.
int replayCapture(const std::string& file, const ReplayOptions& options);

} // namespace simtool
