// The byte-level pieces against published values: CRC-32 check values, LEB128
// encodings as the format's document gives them, zigzag's mapping, and a
// reading cursor that never reads past its end.
#include "capture/byte_codec.h"
#include "capture/crc32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace {

using capture::ByteCursor;

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Crc32, MatchesTheStandardCheckValues) {
    EXPECT_EQ(capture::crc32(bytesOf("")), 0x00000000u);
    EXPECT_EQ(capture::crc32(bytesOf("123456789")), 0xCBF43926u);
    EXPECT_EQ(capture::crc32(bytesOf("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
    const std::vector<std::uint8_t> zeros(32, 0);
    EXPECT_EQ(capture::crc32(zeros), 0x190A55ADu);
}

TEST(Crc32, ContinuesAcrossPieces) {
    const std::string_view text = "123456789";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        EXPECT_EQ(
            capture::crc32(bytesOf(text.substr(cut)), capture::crc32(bytesOf(text.substr(0, cut)))),
            0xCBF43926u)
            << "cut at " << cut;
    }
}

TEST(Varint, EncodesAsLeb128AndReadsBack) {
    struct Case {
        std::uint64_t value;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {0, {0x00}},
        {1, {0x01}},
        {127, {0x7F}},
        {128, {0x80, 0x01}},
        {300, {0xAC, 0x02}},
        {16384, {0x80, 0x80, 0x01}},
        {std::numeric_limits<std::uint64_t>::max(),
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out;
        capture::putVarint(out, c.value);
        EXPECT_EQ(out, c.bytes) << c.value;
        ByteCursor in{c.bytes};
        EXPECT_EQ(capture::takeVarint(in), c.value);
        EXPECT_TRUE(in.ok);
        EXPECT_TRUE(capture::atEnd(in));
    }
}

TEST(Varint, RefusesCutShortOverlongAndOverflowingForms) {
    const std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {0x80},
        {0xFF, 0xFF},
        // eleven bytes
        {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00},
        // a tenth byte carrying more than the 64th bit
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02},
    };
    for (const auto& bytes : bad) {
        ByteCursor in{bytes};
        EXPECT_EQ(capture::takeVarint(in), 0u);
        EXPECT_FALSE(in.ok) << bytes.size() << " bytes";
    }
}

TEST(Zigzag, MapsSmallMagnitudesToSmallNumbers) {
    EXPECT_EQ(capture::zigzag(0), 0u);
    EXPECT_EQ(capture::zigzag(-1), 1u);
    EXPECT_EQ(capture::zigzag(1), 2u);
    EXPECT_EQ(capture::zigzag(-2), 3u);
    EXPECT_EQ(capture::zigzag(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::uint64_t>::max() - 1);
    EXPECT_EQ(capture::zigzag(std::numeric_limits<std::int64_t>::min()),
              std::numeric_limits<std::uint64_t>::max());
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{-7}, std::int64_t{123456789},
                           std::numeric_limits<std::int64_t>::min()}) {
        EXPECT_EQ(capture::unzigzag(capture::zigzag(v)), v);
    }
    // A word going from near the top of the range over the wrap is a small step.
    EXPECT_EQ(capture::wordDelta(3, std::numeric_limits<std::uint64_t>::max()), 8u);
    EXPECT_EQ(capture::applyWordDelta(std::numeric_limits<std::uint64_t>::max(), 8), 3u);
    EXPECT_EQ(capture::int32Delta(std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max()),
              2u);
}

TEST(ByteCursor, StaysFailedAndNeverReadsPastTheEnd) {
    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    ByteCursor in{bytes};
    EXPECT_TRUE(capture::takeBytes(in, 4).empty());
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(capture::takeByte(in), 0u);
    EXPECT_EQ(in.pos, 0u);

    ByteCursor again{bytes};
    EXPECT_EQ(capture::takeBytes(again, std::numeric_limits<std::uint64_t>::max()).size(), 0u);
    EXPECT_FALSE(again.ok);

    ByteCursor counted{bytes};
    EXPECT_EQ(capture::takeCount(counted, 0), 0u);
    EXPECT_FALSE(counted.ok);
}

} // namespace
