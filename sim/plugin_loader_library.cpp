#include "plugin_loader.h"

#include "host.h"
#include "host_functions.h"
#include "windows/host_table.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace sim {

namespace {
HMODULE scriptHook = nullptr;
HMODULE plugin = nullptr;

const PallbrookHostTable hostTable{
    scriptRegister,
    scriptUnregister,
    scriptWait,
    keyboardHandlerRegister,
    keyboardHandlerUnregister,
    nativeInit,
    nativePush64,
    nativeCall,
    worldGetAllPeds,
};

bool installHost() {
    if (scriptHook == nullptr) {
        scriptHook = LoadLibraryA("ScriptHookRDR2.dll");
    }
    if (scriptHook == nullptr) {
        reportError("ScriptHookRDR2.dll could not be loaded");
        return false;
    }
    auto install = reinterpret_cast<PallbrookInstallHost>(
        reinterpret_cast<void*>(GetProcAddress(scriptHook, "pallbrookInstallHost")));
    if (install == nullptr) {
        reportError("ScriptHookRDR2.dll is not the stand-in host's");
        return false;
    }
    install(&hostTable);
    return true;
}
} // namespace

bool loadPlugin(const std::string& path) {
    if (!installHost()) {
        return false;
    }
    plugin = LoadLibraryA(path.c_str());
    if (plugin == nullptr) {
        reportError("could not load " + path + " (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    return true;
}

void unloadPlugin() {
    if (plugin != nullptr) {
        FreeLibrary(plugin);
        plugin = nullptr;
    }
}

// Windows sends thread notifications itself when threads start and end.
void notifyThread(unsigned long) {
    HANDLE thread = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    if (thread != nullptr) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

HINSTANCE__* loadedPluginModule() {
    return reinterpret_cast<HINSTANCE__*>(plugin);
}

} // namespace sim
