// The scenario reader on arbitrary bytes: it either gives a scenario and no
// problem, or problems and no scenario, each naming the file, a place and
// what is wrong; nothing it reads escapes as an exception.
#include "fuzz_check.h"

#include "scenario/scenario_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fuzzText(data, size));
    const simtool::ReadResult result = simtool::readScenarioText(text, "fuzz.json");
    FUZZ_CHECK(result.scenario.has_value() == result.problems.empty());
    for (const std::string& problem : result.problems) {
        // "FILE: PLACE: what", the place a JSON pointer or "(top level)".
        FUZZ_CHECK(problem.starts_with("fuzz.json: /") ||
                   problem.starts_with("fuzz.json: (top level): "));
        FUZZ_CHECK(problem.find(": ", problem.find(": ") + 2) != std::string::npos);
    }
    if (result.scenario) {
        FUZZ_CHECK(result.scenario->frames >= 1);
    }
    return 0;
}
