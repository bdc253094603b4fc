// The few Windows types and calls the plugin uses. On Windows they come from the
// system headers; on Linux the stand-in host provides GetTickCount.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cstdint>

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using DWORD = std::uint32_t;
using BOOL = int;
using LPVOID = void*;

#define WINAPI
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// Milliseconds since the system started; the stand-in host answers it.
DWORD GetTickCount();
#endif
