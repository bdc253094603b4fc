// Reads a file a command is given (a capture, a scenario, a settings file)
// whole, and says in the tool's own words why it cannot: a folder, a FIFO or
// a device, a file that cannot be opened or read, an empty file.
#pragma once

#include <optional>
#include <string>

namespace simtool {

// The file's bytes, or nothing, with the fault in `fault` worded to follow
// the file's name ("is empty").
std::optional<std::string> readInputFile(const std::string& path, std::string& fault);

} // namespace simtool
