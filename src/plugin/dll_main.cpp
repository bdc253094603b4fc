// The library entry: registers the script and the keyboard handler with the
// host when the library is loaded, and unregisters them when it is unloaded.
#include "plugin/dll_main.h"

#include "plugin/host_api.h"
#include "plugin/keyboard_state.h"
#include "plugin/script.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) noexcept {
    try {
        if (reason == DLL_PROCESS_ATTACH) {
            scriptRegister(module, runScript);
            keyboardHandlerRegister(handleKeyboardMessage);
        } else if (reason == DLL_PROCESS_DETACH) {
            scriptUnregister(module);
            keyboardHandlerUnregister(handleKeyboardMessage);
        }
    } catch (...) {
        // An exception here would take the game down with it.
    }
    return TRUE;
}
