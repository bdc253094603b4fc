// The sizes of a minute of capture in format version 1 and in version 2 at
// each compression level tried, with the time a minute of frames takes to
// record at that level, in every bench scene and in half an hour of drags
// among 64 bodies: the measurement by which the level was chosen.
#pragma once

#include <string>
#include <vector>

namespace bench {

// Prints the table, of the scenes named (all when none are); returns the
// exit status.
int printCaptureSizes(const std::vector<std::string>& only);

// The half-hour scene alone, into FILE (a capture of it, for info and replay
// timings); returns the exit status.
int writeHalfHour(const char* file);

} // namespace bench
