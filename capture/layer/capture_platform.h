// What the capture layer asks of the system beside the host: the local time
// for the file's name, the player's own folder for a capture that the game's
// folder cannot take, and whether the shipped plugin is loaded too.
#pragma once

#include <string>

namespace capture {

// The local date and time as "YYYY-MM-DD-HHMMSS".
std::string localTimeStamp();

// The player's own capture folder, made if need be, as a path ending with its
// separator: %LOCALAPPDATA%\Pallbrook\captures\ on Windows; in the stand-in
// host, Pallbrook/captures/ under CaptureOptions::playerFolder. Empty when
// there is none or it cannot be made.
std::string playerCaptureFolder();

// True when Pallbrook.asi, the build without capture, is loaded in this
// process as well.
bool shippedPluginLoaded();

} // namespace capture
