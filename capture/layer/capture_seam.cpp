#include "capture/layer/capture_seam.h"

#include "capture/layer/capture_platform.h"
#include "capture/layer/capture_session.h"

using capture::CaptureState;

namespace {

// The script entry the host runs in the capture build: a new capture, then
// the plugin's own script. With the shipped plugin loaded as well, this build
// stands down, so that exactly one drag feature runs; its file tells why.
void captureScriptEntry() noexcept {
    capture::startCapture();
    if (capture::shippedPluginLoaded()) {
        capture::standDown();
        for (;;) {
            scriptWait(0);
        }
    }
    CaptureState.pluginEntry();
}

} // namespace

void captureScriptRegister(HINSTANCE__* module, ScriptEntry entry) {
    CaptureState.pluginEntry = entry;
    scriptRegister(module, captureScriptEntry);
}

void captureScriptUnregister(HINSTANCE__* module) {
    scriptUnregister(module);
    capture::finishCapture();
}

void captureScriptWait(unsigned long ms) {
    capture::recordFrameEnd(ms);
    scriptWait(ms);
}

void captureKeyboardHandlerRegister(KeyboardHandler handler) {
    keyboardHandlerRegister(handler);
}

void captureKeyboardHandlerUnregister(KeyboardHandler handler) {
    keyboardHandlerUnregister(handler);
}

int captureWorldGetAllPeds(int* array, int arraySize) {
    const int returned = worldGetAllPeds(array, arraySize);
    capture::recordPeds(array, arraySize, returned);
    return returned;
}
