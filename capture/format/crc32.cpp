#include "capture/format/crc32.h"

#include <array>

namespace capture {

namespace {

// Eight tables: table k gives the checksum of a byte followed by k zero
// bytes, so eight bytes are taken at a time.
constexpr std::array<std::array<std::uint32_t, 256>, 8> makeTables() {
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            const std::uint32_t c = tables[k - 1][n];
            tables[k][n] = tables[0][c & 0xFFu] ^ (c >> 8);
        }
    }
    return tables;
}

constexpr auto Tables = makeTables();

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    std::uint32_t c = ~crc;
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; left -= 8, p += 8) {
        const std::uint32_t low =
            c ^ (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                 static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
        c = Tables[7][low & 0xFFu] ^ Tables[6][low >> 8 & 0xFFu] ^ Tables[5][low >> 16 & 0xFFu] ^
            Tables[4][low >> 24] ^ Tables[3][p[4]] ^ Tables[2][p[5]] ^ Tables[1][p[6]] ^
            Tables[0][p[7]];
    }
    for (; left > 0; --left, ++p) {
        c = Tables[0][(c ^ *p) & 0xFFu] ^ (c >> 8);
    }
    return ~c;
}

} // namespace capture
