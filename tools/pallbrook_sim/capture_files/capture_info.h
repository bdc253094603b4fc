// pallbrook-sim info: what a capture holds, read without replaying it.
#pragma once

#include <string>

namespace simtool {

// Prints the format version, the build that wrote the capture, its settings,
// the frames and game time it covers, its chunks and how it ends, and the
// drags begun and ended. Returns 0, or 2 for a file that is no readable
// capture (refused as replay refuses it).
int printCaptureInfo(const std::string& file);

} // namespace simtool
