// Playing a capture recorded in the game through the plugin's frame loop in
// the stand-in host, answering every call from the capture and stopping at
// the first call that differs from the recorded one.
#pragma once

#include "play/outputs.h"

#include <string>

namespace simtool {

struct ReplayOptions {
    OutputRequest outputs;    // the trace and the picture
    std::string pluginPath;   // Pallbrook.asi, for the build that loads it
    std::string settingsPath; // empty: the Pallbrook.ini the capture holds
    std::string namesPath;    // a scenario whose ped names the brief uses
};

// Prints the brief on standard output; returns 0 when the plugin made every
// recorded call, 1 at the first difference (reported with its context) or a
// host fault, 2 for a file that is no readable capture or a refused option
// (a picture of frames or a drag the replay does not have, a file that cannot
// be read or written), with nothing written.
int replayCapture(const std::string& file, const ReplayOptions& options);

} // namespace simtool
