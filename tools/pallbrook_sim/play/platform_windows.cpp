// The Windows build: Pallbrook.asi is loaded by the Windows loader, and what
// it keeps inside is out of sight.
#include "play/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <filesystem>

namespace simtool {

bool pluginIsLinked() {
    return false;
}

std::string defaultPluginPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return "Pallbrook.asi";
    }
    return (std::filesystem::path(path).parent_path() / "Pallbrook.asi").string();
}

std::optional<int> pluginDragState() {
    return std::nullopt;
}

std::optional<int> pluginGrabPoint() {
    return std::nullopt;
}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

void useBinaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace simtool
