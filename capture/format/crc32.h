// The CRC-32 of the chunks: zlib's (as in PNG).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <span>

namespace capture {

inline std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

} // namespace capture
