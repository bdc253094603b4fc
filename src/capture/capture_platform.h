// What the capture layer asks of the system beside the host: the local time
// for the file's name, and whether the shipped plugin is loaded too.
#pragma once

#include <string>

namespace capture {

// The local date and time as "YYYY-MM-DD-HHMMSS".
std::string localTimeStamp();

// True when Pallbrook.asi, the build without capture, is loaded in this
// process as well.
bool shippedPluginLoaded();

} // namespace capture
