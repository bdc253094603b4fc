// ScriptHookRDR2.dll of the stand-in host: exports the nine host functions
// under their MSVC-decorated names and passes each call on to the stand-in
// host that installed itself with pallbrookInstallHost.
#include "host_table.h"

namespace {
PallbrookHostTable host{};
}

extern "C" void pallbrookInstallHost(const PallbrookHostTable* table) {
    host = table ? *table : PallbrookHostTable{};
}

using Handler = void (*)(unsigned long, unsigned short, unsigned char, int, int, int, int);

// Exported under the real host's decorated names by script_hook_dll.def.
extern "C" {

void exportScriptRegister(HINSTANCE__* module, void (*entry)()) {
    if (host.scriptRegister)
        host.scriptRegister(module, entry);
}
void exportScriptUnregister(HINSTANCE__* module) {
    if (host.scriptUnregister)
        host.scriptUnregister(module);
}
void exportScriptWait(unsigned long ms) {
    if (host.scriptWait)
        host.scriptWait(ms);
}
void exportKeyboardHandlerRegister(Handler handler) {
    if (host.keyboardHandlerRegister)
        host.keyboardHandlerRegister(handler);
}
void exportKeyboardHandlerUnregister(Handler handler) {
    if (host.keyboardHandlerUnregister)
        host.keyboardHandlerUnregister(handler);
}
void exportNativeInit(unsigned long long hash) {
    if (host.nativeInit)
        host.nativeInit(hash);
}
void exportNativePush64(unsigned long long value) {
    if (host.nativePush64)
        host.nativePush64(value);
}
unsigned long long* exportNativeCall() {
    static unsigned long long nothing[3] = {};
    return host.nativeCall ? host.nativeCall() : nothing;
}
int exportWorldGetAllPeds(int* array, int size) {
    return host.worldGetAllPeds ? host.worldGetAllPeds(array, size) : 0;
}

} // extern "C"
