// The game names each input control by the Jenkins one-at-a-time hash of its
// lower-cased name.
#pragma once

#include <cstdint>
#include <string_view>

constexpr std::uint32_t controlHash(std::string_view name) {
    std::uint32_t h = 0;
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<unsigned char>(c - 'A' + 'a');
        }
        h += c;
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

static_assert(controlHash("INPUT_DUCK") == 0xDB096B85);
static_assert(controlHash("") == 0);
