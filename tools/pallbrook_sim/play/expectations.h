// Checking an expectation against the world and the observed drag state.
#pragma once

#include "scenario/scenario.h"

#include <string>
#include <vector>

namespace simtool {

// What is not as expected, one entry per check that failed; empty when all hold.
std::vector<std::string> checkExpectation(const Expectation& expect, DragPhase observed);

// "frame 26", "time 858 ms" or "the end", and the expectation's place.
std::string describeMoment(const Expectation& expect);

} // namespace simtool
