// The capture layer linked into the stand-in host's programs.
#include "capture/layer/capture_platform.h"

#include "capture/layer/capture_session.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace capture {

std::string localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string playerCaptureFolder() {
    if (CaptureState.options.playerFolder.empty()) {
        return {};
    }
    const std::filesystem::path folder =
        std::filesystem::path(CaptureState.options.playerFolder) / "Pallbrook" / "captures";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return error ? std::string() : folder.string() + "/";
}

bool shippedPluginLoaded() {
    return CaptureState.options.pretendShippedPluginLoaded;
}

} // namespace capture
