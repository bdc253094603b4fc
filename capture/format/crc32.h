// CRC-32 as in zlib and PNG (reflected polynomial 0xEDB88320), table-driven.
#pragma once

#include <cstdint>
#include <span>

namespace capture {

// Continues a CRC: start with crc = 0; crc32(b, crc32(a)) is the CRC of a then b.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace capture
