// The capture layer at the host seam: the nine host functions as the plugin
// calls them in the capture build (host_redirect.h). Each passes the call on
// to the host exactly as it came, and records it and the host's answer.
#pragma once

#include "plugin/host_api.h"

void captureScriptRegister(HINSTANCE__* module, ScriptEntry entry);
void captureScriptUnregister(HINSTANCE__* module);
void captureScriptWait(unsigned long ms);
void captureKeyboardHandlerRegister(KeyboardHandler handler);
void captureKeyboardHandlerUnregister(KeyboardHandler handler);
void captureNativeInit(unsigned long long hash);
void captureNativePush64(unsigned long long value);
unsigned long long* captureNativeCall();
int captureWorldGetAllPeds(int* array, int arraySize);
