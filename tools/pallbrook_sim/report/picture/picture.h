// The top-down picture of a run: paths, grab point, placement, prompts, the
// start and end of each drag, a scale and a legend.
#pragma once

#include "report/track.h"
#include "scenario/scenario.h"

#include <string>

namespace simtool {

// Writes the SVG file; reports a file that cannot be written on stderr.
void writePicture(const std::string& path, const Scenario& scenario, const Track& track);

} // namespace simtool
