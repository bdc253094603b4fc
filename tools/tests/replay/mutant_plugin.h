// Forced into every source of a test build of the plugin: a plugin changed on
// purpose, whose pick-up clip blends in at 5.0 instead of 4.0. A replay of a
// capture made by the real plugin must find the change at that call.
#pragma once

#define nativeInit mutantNativeInit
#define nativePush64 mutantNativePush64
