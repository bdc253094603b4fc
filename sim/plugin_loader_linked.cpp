#include "plugin_loader.h"

#include <cstdint>

// The plugin's library entry, linked into this program.
extern "C" int DllMain(struct HINSTANCE__* module, std::uint32_t reason, void* reserved) noexcept;

namespace sim {

namespace {
// A stand-in module handle: any stable non-null address will do.
char moduleToken;
HINSTANCE__* moduleHandle() {
    return reinterpret_cast<HINSTANCE__*>(&moduleToken);
}
} // namespace

bool loadPlugin(const std::string&) {
    DllMain(moduleHandle(), 1, nullptr);
    return true;
}

void unloadPlugin() {
    DllMain(moduleHandle(), 0, nullptr);
}

HINSTANCE__* loadedPluginModule() {
    return moduleHandle();
}

void notifyThread(unsigned long reason) {
    DllMain(moduleHandle(), static_cast<std::uint32_t>(reason), nullptr);
}

} // namespace sim
