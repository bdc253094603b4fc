// The host functions as a table of pointers. The stand-in host hands this
// table to its ScriptHookRDR2.dll, which exports each entry under the name
// the real host uses.
#pragma once

struct HINSTANCE__;

struct PallbrookHostTable {
    void (*scriptRegister)(HINSTANCE__*, void (*)());
    void (*scriptUnregister)(HINSTANCE__*);
    void (*scriptWait)(unsigned long);
    void (*keyboardHandlerRegister)(void (*)(unsigned long, unsigned short, unsigned char, int, int,
                                             int, int));
    void (*keyboardHandlerUnregister)(void (*)(unsigned long, unsigned short, unsigned char, int,
                                               int, int, int));
    void (*nativeInit)(unsigned long long);
    void (*nativePush64)(unsigned long long);
    unsigned long long* (*nativeCall)();
    int (*worldGetAllPeds)(int*, int);
};

using PallbrookInstallHost = void (*)(const PallbrookHostTable*);
