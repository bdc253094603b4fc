// How to read the argument words and the result of each native the plugin
// calls: one letter per argument word. The capture layer uses it to record
// texts by their content and out-parameter slots by what they held after the
// call; the tools use it to decode calls for people.
//   e entity handle   i int32          u hash (control or weapon)
//   f float           t text pointer   g game string
//   p prompt handle   o pointer to a uint32 the native writes
//   h pointer to a float the native writes
// Results: - none, i int32, b true/false as int32, f float, v Vector3,
// e entity handle, p prompt handle, u hash, g game string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct NativeKinds {
    std::uint64_t hash;
    std::string_view args;
    char result;
};

// The kinds of this native, or null for one the plugin does not call.
const NativeKinds* findNativeKinds(std::uint64_t hash);

// Result words the native gives: 3 for a Vector3, 0 for none, else 1.
std::size_t resultWordCount(char result);

inline bool isTextArg(char kind) {
    return kind == 't';
}
inline bool isSlotArg(char kind) {
    return kind == 'o' || kind == 'h';
}
