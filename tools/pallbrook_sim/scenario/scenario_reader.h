// Reading a scenario file. Nothing in it is taken on trust: every fault is
// reported with the file, the place and what is wrong, and a file with any
// fault gives no scenario.
#pragma once

#include "scenario/scenario.h"

#include <optional>
#include <string>
#include <vector>

namespace simtool {

struct ReadResult {
    std::optional<Scenario> scenario;
    std::vector<std::string> problems; // "FILE: PLACE: what"
};

ReadResult readScenario(const std::string& path);
// The same for a file's text, read already; `path` names it in the problems.
ReadResult readScenarioText(const std::string& text, const std::string& path);

} // namespace simtool
