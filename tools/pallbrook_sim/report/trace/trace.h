// The call trace: one JSON line per recorded event (a native call, a ped list,
// the wait that ends a frame), the same on every build. Each carries its
// number within the frame, the number a replay's DIFFERENCE names.
// Pointers never appear: a text is written as its characters, a pointer the
// native writes through as the value written.
#pragma once

#include "sim/host.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace simtool {

// Where an event stands: its frame, its number in the frame (from 1), the
// game time, and whether its answer was made up (a replay past a difference,
// where the capture has no answer to give).
struct TracePlace {
    std::int64_t frame = 0;
    std::size_t event = 0;
    std::uint32_t gameTimeMs = 0;
    bool madeUp = false;
};

// {"frame":F,"event":E,"time":T,"hash":"0x...","native":"role","words":[...],
//  "args":[...],"result":...} for a call that has just been answered, with
// "made_up":true at the end when its answer was made up.
std::string traceLine(const sim::NativeCall& call, const TracePlace& place);
// {"frame":F,"event":E,"time":T,"ped_list":[...]}: the handles written.
std::string pedListLine(std::span<const int> handles, const TracePlace& place);
// {"frame":F,"event":E,"time":T,"wait":0}.
std::string waitLine(const TracePlace& place);

} // namespace simtool
