// The hash of every native the plugin calls, by the name the code uses:
// callNative<bool>(natives::EntityExists, body). Made from the list in
// native_list.h, of which only the hashes reach the plugin.
#pragma once

#include "plugin/native_call.h"
#include "plugin/native_list.h"

namespace natives {

#define PALLBROOK_NATIVE_HASH(name, hash, args, result, role)                                      \
    inline constexpr NativeHash name = hash;
PALLBROOK_NATIVES(PALLBROOK_NATIVE_HASH)
#undef PALLBROOK_NATIVE_HASH

} // namespace natives
