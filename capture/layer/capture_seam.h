// The capture layer at the host seam: the nine host functions as the plugin
// calls them in the capture build (host_redirect.h). Each passes the call on
// to the host exactly as it came, and records it and the host's answer.
//
// The three functions of a native call are inline: they run for every native
// call of every frame, and only the call itself is recorded, once the host
// has answered it.
#pragma once

#include "capture/layer/capture_session.h"
#include "plugin/host_api.h"

void captureScriptRegister(HINSTANCE__* module, ScriptEntry entry);
void captureScriptUnregister(HINSTANCE__* module);
void captureScriptWait(unsigned long ms);
void captureKeyboardHandlerRegister(KeyboardHandler handler);
void captureKeyboardHandlerUnregister(KeyboardHandler handler);
int captureWorldGetAllPeds(int* array, int arraySize);

inline void captureNativeInit(unsigned long long hash) {
    nativeInit(hash);
    capture::CaptureState.hash = hash;
    capture::CaptureState.argCount = 0;
}

inline void captureNativePush64(unsigned long long value) {
    nativePush64(value);
    capture::CaptureStateRecord& state = capture::CaptureState;
    if (state.argCount < state.args.size()) {
        state.args[state.argCount] = value;
    }
    ++state.argCount;
}

inline unsigned long long* captureNativeCall() {
    unsigned long long* result = nativeCall();
    capture::recordCall(result);
    return result;
}
