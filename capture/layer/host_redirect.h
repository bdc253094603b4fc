// Force-included into every source of the plugin in the capture build, and
// only there: the plugin's calls to the nine host functions go to the capture
// layer under these names, which records them and passes each on to the host
// unchanged. The shipped plugin is built without it.
#pragma once

#include "capture/layer/capture_seam.h"

#define scriptRegister captureScriptRegister
#define scriptUnregister captureScriptUnregister
#define scriptWait captureScriptWait
#define keyboardHandlerRegister captureKeyboardHandlerRegister
#define keyboardHandlerUnregister captureKeyboardHandlerUnregister
#define nativeInit captureNativeInit
#define nativePush64 captureNativePush64
#define nativeCall captureNativeCall
#define worldGetAllPeds captureWorldGetAllPeds
