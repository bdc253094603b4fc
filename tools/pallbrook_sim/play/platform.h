// What differs between the two builds of the tool: the Linux build has the
// plugin linked in, the Windows build loads Pallbrook.asi.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace simtool {

// True when the plugin is part of this program.
bool pluginIsLinked();

// Where Pallbrook.asi is looked for when no --plugin is given: beside this
// program. Empty for the linked build.
std::string defaultPluginPath();

// The plugin's own drag state and grab point, where the program can see them
// (the linked build): the brief's account is checked against them.
std::optional<int> pluginDragState();
std::optional<int> pluginGrabPoint();

bool isTerminal(std::FILE* stream);

} // namespace simtool

namespace simtool {

// Standard output writes bytes as they are, with no line-end translation, so
// that the brief is the same file on every build.
void useBinaryStdout();

// Gives standard output to a file the command writes ("-"): returns a stream
// on it, and what the program prints to standard output goes to standard
// error from then on.
std::FILE* standardOutputForFile();

// True when `path` names a FIFO, a device or a socket, which a command writes
// to as it is, never replacing it.
bool isStreamFile(const std::string& path);

} // namespace simtool
