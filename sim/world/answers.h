// The functions that answer the world's natives: one per native of the
// plugin's list, named as the list names the native (answers::EntityExists),
// defined in the answers_*.cpp file of its group. Only the native table uses
// these names.
#pragma once

#include "sim/host.h"

#include "plugin/native_list.h"

namespace sim::answers {

#define PALLBROOK_NATIVE_ANSWER(name, hash, args, result, role)                                    \
    void name(const NativeArgs&, NativeResult&);
PALLBROOK_NATIVES(PALLBROOK_NATIVE_ANSWER)
#undef PALLBROOK_NATIVE_ANSWER

} // namespace sim::answers
