// The checks of the fuzz targets: a broken invariant prints what broke and
// aborts, which libFuzzer reports as a crash and saves the input for replay.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline std::string_view fuzzText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
