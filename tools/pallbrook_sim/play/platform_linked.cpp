// The Linux build: the plugin is linked in and its records can be read.
#include "play/platform.h"

#include "drag/drag_state.h"

#include <unistd.h>

#include <filesystem>

namespace simtool {

bool pluginIsLinked() {
    return true;
}

std::string defaultPluginPath() {
    return {};
}

std::optional<int> pluginDragState() {
    return static_cast<int>(DragState.state);
}

std::optional<int> pluginGrabPoint() {
    return DragState.grabPoint;
}

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

} // namespace simtool

namespace simtool {

void useBinaryStdout() {}

std::FILE* standardOutputForFile() {
    std::fflush(stdout);
    const int output = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    return fdopen(output, "wb");
}

bool isStreamFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

} // namespace simtool
