// Loading and unloading the plugin, as Windows does when the host loads it:
// on Linux the plugin is linked in and its library entry is called directly;
// on Windows the real Pallbrook.asi is loaded with LoadLibrary.
#pragma once

#include <string>

struct HINSTANCE__;

namespace sim {

// Sends process attach. False (with the reason in host().errors) if the
// plugin could not be loaded.
bool loadPlugin(const std::string& path = "Pallbrook.asi");
// Sends process detach.
void unloadPlugin();
// The module handle Windows gave the loaded plugin.
HINSTANCE__* loadedPluginModule();
// Sends a thread notification (2 attach, 3 detach).
void notifyThread(unsigned long reason);

} // namespace sim
