// Every native the world answers, in one table: hash, role in plain words,
// the number of argument words it takes, and the function that answers it.
// installWorld defines each with the host; tools print roles from here.
#pragma once

#include "sim/host.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace sim {

using NativeAnswer = void (*)(const NativeArgs&, NativeResult&);

struct WorldNative {
    std::uint64_t hash;
    const char* role;
    std::size_t arity;
    NativeAnswer answer;
};

std::span<const WorldNative> worldNatives();

// The entry for this hash, or null when the world does not know it.
const WorldNative* findWorldNative(std::uint64_t hash);

} // namespace sim
