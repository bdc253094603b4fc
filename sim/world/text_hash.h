// The game's hash of a text key, such as a weapon name: the same hash as that
// of a control name (Jenkins one-at-a-time over the lower-cased text).
#pragma once

#include "settings/control_hash.h"

#include <cstdint>
#include <string_view>

namespace sim {

constexpr std::uint32_t textKeyHash(std::string_view text) {
    return controlHash(text);
}

} // namespace sim
