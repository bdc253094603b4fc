// The top-down picture of a run: paths, grab point, placement, prompts, the
// start and end of each drag, a scale and a legend.
#pragma once

#include "report/track.h"

#include <string>

namespace simtool {

// What the picture says of the run besides what it draws.
struct PictureText {
    std::string title;        // the file's name
    std::string description;  // a line below it
    bool fromCapture = false; // the places are those a capture tells (a replay)
};

// The SVG document of the track.
std::string pictureOf(const PictureText& text, const Track& track);

} // namespace simtool
