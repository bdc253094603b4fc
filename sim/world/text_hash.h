// The game's hash of a text key: Jenkins one-at-a-time over the lower-cased
// text. Control names and weapon names are hashed this way.
#pragma once

#include <cstdint>
#include <string_view>

namespace sim {

std::uint32_t textKeyHash(std::string_view text);

} // namespace sim
