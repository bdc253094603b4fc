#include "capture/capture_platform.h"

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

bool shippedPluginLoaded() {
    return GetModuleHandleA("Pallbrook.asi") != nullptr;
}

} // namespace capture
