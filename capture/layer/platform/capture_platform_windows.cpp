#include "capture/layer/capture_platform.h"

#include "plugin/win_types.h"

#include <cstdio>

namespace capture {

std::string localTimeStamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::string playerCaptureFolder() {
    char base[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", base, sizeof base);
    if (length == 0 || length >= sizeof base) {
        return {};
    }
    std::string folder = std::string(base, length) + "\\Pallbrook";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\captures";
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    return folder + "\\";
}

bool shippedPluginLoaded() {
    return GetModuleHandleA("Pallbrook.asi") != nullptr;
}

} // namespace capture
