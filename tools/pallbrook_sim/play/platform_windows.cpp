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

std::FILE* standardOutputForFile() {
    std::fflush(stdout);
    const int output = _dup(_fileno(stdout));
    _dup2(_fileno(stderr), _fileno(stdout));
    _setmode(output, _O_BINARY);
    return _fdopen(output, "wb");
}

bool isStreamFile(const std::string& path) {
    // The file system tells nothing of a device (NUL, or under Wine a Unix
    // one): its handle does.
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

} // namespace simtool
