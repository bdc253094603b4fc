// The byte-level pieces of the capture format: little-endian words, LEB128
// varints and zigzag. Writing appends to a byte vector; reading goes through
// a cursor that never reads past its end and remembers the first failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace capture {

inline std::uint64_t zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}
inline std::int64_t unzigzag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1u);
}
// The wrapping difference of two words as a zigzag number: small both ways.
inline std::uint64_t wordDelta(std::uint64_t value, std::uint64_t base) {
    return zigzag(static_cast<std::int64_t>(value - base));
}
inline std::uint64_t applyWordDelta(std::uint64_t base, std::uint64_t delta) {
    return base + static_cast<std::uint64_t>(unzigzag(delta));
}
inline std::uint64_t int32Delta(std::int32_t value, std::int32_t base) {
    return zigzag(static_cast<std::int32_t>(static_cast<std::uint32_t>(value) -
                                            static_cast<std::uint32_t>(base)));
}

inline void putByte(std::vector<std::uint8_t>& out, std::uint8_t b) {
    out.push_back(b);
}
inline void putVarint(std::vector<std::uint8_t>& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}
inline void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}
inline void putU64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}
inline void putBytes(std::vector<std::uint8_t>& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
inline void storeU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
inline std::uint32_t loadU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Reads from a span; after the first failure every read gives 0 and ok stays false.
struct ByteCursor {
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;
    bool ok = true;
};

inline bool atEnd(const ByteCursor& in) {
    return in.pos == in.bytes.size();
}
inline std::uint8_t takeByte(ByteCursor& in) {
    if (!in.ok || in.pos >= in.bytes.size()) {
        in.ok = false;
        return 0;
    }
    return in.bytes[in.pos++];
}
// At most ten bytes, and no bits beyond the 64th.
inline std::uint64_t takeVarint(ByteCursor& in) {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        const std::uint8_t b = takeByte(in);
        if (!in.ok) {
            return 0;
        }
        const std::uint64_t bits = b & 0x7Fu;
        if (shift == 63 && bits > 1) {
            in.ok = false;
            return 0;
        }
        value |= bits << shift;
        if ((b & 0x80) == 0) {
            return value;
        }
    }
    in.ok = false;
    return 0;
}
inline std::uint64_t takeU64(ByteCursor& in) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value |= static_cast<std::uint64_t>(takeByte(in)) << (8 * i);
    }
    return in.ok ? value : 0;
}
inline std::span<const std::uint8_t> takeBytes(ByteCursor& in, std::uint64_t count) {
    if (!in.ok || count > in.bytes.size() - in.pos) {
        in.ok = false;
        return {};
    }
    const auto taken = in.bytes.subspan(in.pos, static_cast<std::size_t>(count));
    in.pos += static_cast<std::size_t>(count);
    return taken;
}
// A varint that must not exceed limit.
inline std::uint64_t takeCount(ByteCursor& in, std::uint64_t limit) {
    const std::uint64_t value = takeVarint(in);
    if (value > limit) {
        in.ok = false;
        return 0;
    }
    return value;
}

} // namespace capture
