// The Linux build: the plugin is linked in and its records can be read.
#include "play/platform.h"

#include "drag/drag_state.h"

#include <unistd.h>

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

} // namespace simtool
