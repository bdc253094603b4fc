// What became of each line of a Pallbrook.ini, and the values then in force.
// The plugin's own loader is run on the file, and on the file with one line
// taken out or standing alone, and the values it leaves are compared: so the
// story follows the loader's rules without a second copy of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace simtool {

struct SettingsStory {
    std::vector<std::string> lines; // for the brief, ending with the values in force
    float detectionRadius = 0.0f;
};

// `bytes` is the file's content, or nothing when there is no file. Throws
// std::runtime_error when no working folder can be made for the loader.
SettingsStory tellSettings(const std::optional<std::string>& bytes);

} // namespace simtool
