// Every native the world answers, in one table made from the plugin's list of
// natives (plugin/native_list.h): hash, role in plain words, the kinds of its
// argument words and of its result, and the function that answers it.
// installWorld defines each with the host; tools print roles from here.
#pragma once

#include "sim/host.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sim {

using NativeAnswer = void (*)(const NativeArgs&, NativeResult&);

struct WorldNative {
    std::uint64_t hash;
    const char* role;
    std::string_view args; // one kind letter per argument word
    char result;           // the kind letter of the result
    NativeAnswer answer;

    std::size_t arity() const { return args.size(); }
};

std::span<const WorldNative> worldNatives();

// The entry for this hash, or null when the world does not know it.
const WorldNative* findWorldNative(std::uint64_t hash);

} // namespace sim
