// Comparing what the reader gave with what the session recorded, naming the
// first frame and event that differ.
#pragma once

#include "sim/capture/capture_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace capture_test {

inline ::testing::AssertionResult sameFrames(const std::vector<capture::CapturedFrame>& actual,
                                             const std::vector<capture::CapturedFrame>& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t f = 0; f < common; ++f) {
        const auto& a = actual[f].events;
        const auto& e = expected[f].events;
        for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
            if (a[i] != e[i]) {
                return ::testing::AssertionFailure()
                       << "frame " << f << " event " << i << " differs (kind " << a[i].index()
                       << ", expected kind " << e[i].index() << ")";
            }
        }
        if (a.size() != e.size()) {
            return ::testing::AssertionFailure()
                   << "frame " << f << " has " << a.size() << " events, expected " << e.size();
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << actual.size() << " frames, expected " << expected.size();
    }
    return ::testing::AssertionSuccess();
}

} // namespace capture_test
