// The size of a minute of capture, with the time a minute of frames takes to
// record, in every bench scene and in half an hour of drags among 64 bodies,
// which is also measured whole against its goal of 4 MiB.
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
