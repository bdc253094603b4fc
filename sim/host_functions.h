// The nine functions the stand-in host offers a plugin, with the signatures of
// ScriptHookRDR2.
#pragma once

struct HINSTANCE__;

void scriptRegister(HINSTANCE__* module, void (*entry)());
void scriptUnregister(HINSTANCE__* module);
void scriptWait(unsigned long ms);
void keyboardHandlerRegister(void (*handler)(unsigned long, unsigned short, unsigned char, int, int,
                                             int, int));
void keyboardHandlerUnregister(void (*handler)(unsigned long, unsigned short, unsigned char, int,
                                               int, int, int));
void nativeInit(unsigned long long hash);
void nativePush64(unsigned long long value);
unsigned long long* nativeCall();
int worldGetAllPeds(int* array, int arraySize);
