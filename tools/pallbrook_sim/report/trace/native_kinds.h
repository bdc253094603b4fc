// How to read the argument words and the result of each native the plugin
// calls, for the trace: the table the capture layer records by
// (src/capture/native_kinds.h), one letter per word.
#pragma once

#include "capture/native_kinds.h"

#include <cstdint>

namespace pbsim {

using ::NativeKinds;

// The kinds of this native, or null when the plugin does not call it.
inline const NativeKinds* nativeKinds(std::uint64_t hash) {
    return findNativeKinds(hash);
}

} // namespace pbsim
