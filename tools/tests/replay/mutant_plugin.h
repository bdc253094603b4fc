// Forced into every source of a test build of the plugin: a plugin changed on
// purpose, whose pick-up clip blends in at 5.0 instead of 4.0. A replay of a
// capture made by the real plugin must find the change at that call. With
// PALLBROOK_MUTANT=wait it is changed elsewhere instead: it waits 1 ms a
// frame, which the host counts as a fault and a replay cannot see.
#pragma once

#define nativeInit mutantNativeInit
#define nativePush64 mutantNativePush64
#define scriptWait mutantScriptWait
