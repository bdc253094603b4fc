// The checks of the test programs that run under Wine: each counts, a failed
// one is printed, and the program ends with the tally and its exit code.
#pragma once

#include <cstdio>
#include <string>

namespace wine_checks {

inline int passed = 0;
inline int failed = 0;

inline void check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

inline int tally(const char* program) {
    std::printf("%s: %d passed, %d failed\n", program, passed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace wine_checks
