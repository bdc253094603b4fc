// The call trace: one JSON line per native call, the same on every build.
// Pointers never appear: a text is written as its characters, a pointer the
// native writes through as the value written.
#pragma once

#include "sim/host.h"

#include <cstdint>
#include <string>

namespace simtool {

// {"frame":F,"time":T,"hash":"0x...","native":"role","words":[...],
//  "args":[...],"result":...} for a call that has just been answered.
std::string traceLine(const sim::NativeCall& call, std::int64_t frame, std::uint32_t gameTimeMs);

} // namespace simtool
