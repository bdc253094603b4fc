// How to read the argument words and the result of each native the world
// answers, for the trace: one letter per word.
//   e ped handle      i int32          u hash (control or weapon)
//   f float           t text pointer   g game string
//   p prompt handle   o pointer to a uint32 the native writes
//   h pointer to a float the native writes
// Results: - none, i int32, b true/false as int32, f float, v Vector3,
// e ped handle, p prompt handle, u hash, g game string.
#pragma once

#include <cstdint>
#include <string_view>

namespace pbsim {

struct NativeKinds {
    std::string_view args;
    char result;
};

// The kinds of this native, or null when it is not one the world answers.
const NativeKinds* nativeKinds(std::uint64_t hash);

} // namespace pbsim
