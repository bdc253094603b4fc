// The nine functions that ScriptHookRDR2 exports and the plugin imports.
// Declared here with the exact signatures the host uses; on Windows they are
// imported from ScriptHookRDR2.dll under their MSVC-decorated names.
#pragma once

#include "plugin/win_types.h"

using ScriptEntry = void (*)();
// virtual-key code, repeat count, scan code, extended key, Alt held, key was down, key is up
using KeyboardHandler = void (*)(unsigned long, unsigned short, unsigned char, int, int, int, int);

void scriptRegister(HINSTANCE__* module, ScriptEntry entry);
void scriptUnregister(HINSTANCE__* module);
void scriptWait(unsigned long ms);
void keyboardHandlerRegister(KeyboardHandler handler);
void keyboardHandlerUnregister(KeyboardHandler handler);
void nativeInit(unsigned long long hash);
void nativePush64(unsigned long long value);
unsigned long long* nativeCall();
int worldGetAllPeds(int* array, int arraySize);
