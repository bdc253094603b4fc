#include "settings/number_text.h"
#include "settings/resolve_control.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The float's bits, or nothing, so that results compare exactly (signed zero,
// NaN) and print readably.
std::optional<std::uint32_t> floatBits(std::string_view text) {
    const auto value = parseFloat32(text);
    if (!value) {
        return std::nullopt;
    }
    return bitsOf(*value);
}

TEST(DecimalInteger, SignDigitsAndTail) {
    EXPECT_EQ(parseDecimalInt32("0"), 0);
    EXPECT_EQ(parseDecimalInt32("750ms"), 750);
    EXPECT_EQ(parseDecimalInt32("-5"), -5);
    EXPECT_EQ(parseDecimalInt32("+42"), 42);
    EXPECT_EQ(parseDecimalInt32("-0"), 0);
    EXPECT_EQ(parseDecimalInt32(" \t\n\v\f\r12"), 12);
    EXPECT_EQ(parseDecimalInt32("12 34"), 12);
    EXPECT_EQ(parseDecimalInt32("1.9"), 1);
    EXPECT_EQ(parseDecimalInt32("0x1F"), 0);
    EXPECT_EQ(parseDecimalInt32(std::string(100, '0') + "7"), 7);
    for (const char* bad : {"", "ms", "-", "+", "- 5", "+-5", "--5",
                            "\xA0"
                            "5",
                            ".5", "x1"}) {
        EXPECT_FALSE(parseDecimalInt32(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(DecimalInteger, SignedRangeLimits) {
    EXPECT_EQ(parseDecimalInt32("2147483647"), 2147483647);
    EXPECT_EQ(parseDecimalInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseDecimalInt32("-00002147483648"), INT32_MIN);
    for (const char* bad : {"2147483648", "-2147483649", "4294967295", "4294967296", "99999999999",
                            "18446744073709551617", "-9223372036854775808"}) {
        EXPECT_FALSE(parseDecimalInt32(bad).has_value()) << bad;
    }
}

TEST(HexInteger, DigitsAndRange) {
    EXPECT_EQ(parseHexUint32("DB096B85"), 0xDB096B85u);
    EXPECT_EQ(parseHexUint32("dB096b85zz"), 0xDB096B85u);
    EXPECT_EQ(parseHexUint32("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(parseHexUint32("00000000000000000001"), 1u);
    EXPECT_EQ(parseHexUint32("0"), 0u);
    for (const char* bad : {"", "g", " 1", "-1", "100000000", "FFFFFFFFF"}) {
        EXPECT_FALSE(parseHexUint32(bad).has_value()) << bad;
    }
}

TEST(ResolveControl, NamesHexAndDecimal) {
    EXPECT_EQ(resolveControl("INPUT_DUCK"), 0xDB096B85u);
    EXPECT_EQ(resolveControl("INPUT_HORSE_MOUNT"), 0xE7D09D58u);
    EXPECT_EQ(resolveControl("0xDB096B85"), 0xDB096B85u);
    EXPECT_EQ(resolveControl("0XdB096b85"), 0xDB096B85u);
    EXPECT_EQ(resolveControl("0x0"), 0u);
    EXPECT_EQ(resolveControl("12"), 12u);
    EXPECT_EQ(resolveControl("+12abc"), 12u);
    EXPECT_EQ(resolveControl("-620139643"), 0xDB096B85u);
    EXPECT_EQ(resolveControl("-2147483648"), 0x80000000u);
    EXPECT_EQ(resolveControl("2147483647"), 0x7FFFFFFFu);
    EXPECT_EQ(resolveControl("0x80000000"), 0x80000000u);
    // Once the hexadecimal prefix is there the text is hexadecimal or nothing.
    EXPECT_EQ(resolveControl("0x"), NoControl);
    EXPECT_EQ(resolveControl("0xg1"), NoControl);
    EXPECT_EQ(resolveControl("0"), 0u);
}

TEST(ResolveControl, Failures) {
    for (const char* bad :
         {"", "input_duck", "INPUT_DUCK ", "INPUT_", "-1", "0xFFFFFFFF", "0xffffffff", "4294967295",
          "2147483648", "0x100000000", "x12", "- 1"}) {
        EXPECT_EQ(resolveControl(bad), NoControl) << '"' << bad << '"';
    }
}

TEST(FloatConversion, DecimalForms) {
    EXPECT_EQ(floatBits("2"), 0x40000000u);
    EXPECT_EQ(floatBits("0.55"), 0x3F0CCCCDu);
    EXPECT_EQ(floatBits("1.1"), 0x3F8CCCCDu);
    EXPECT_EQ(floatBits("-1.5"), 0xBFC00000u);
    EXPECT_EQ(floatBits("+.5"), 0x3F000000u);
    EXPECT_EQ(floatBits("5."), 0x40A00000u);
    EXPECT_EQ(floatBits("3,5"), 0x40400000u);
    EXPECT_EQ(floatBits("2.5E+1"), 0x41C80000u);
    EXPECT_EQ(floatBits("250e-1m"), 0x41C80000u);
    EXPECT_EQ(floatBits("7e"), 0x40E00000u);
    EXPECT_EQ(floatBits("7e+"), 0x40E00000u);
    EXPECT_EQ(floatBits("7e+x"), 0x40E00000u);
    EXPECT_EQ(floatBits(" \t\n\v\f\r1"), 0x3F800000u);
    EXPECT_EQ(floatBits("-0"), 0x80000000u);
    EXPECT_EQ(floatBits("0e999999999999999999"), 0u);
    // Rounded once, straight from the text: going through a double first would
    // land exactly halfway and give 1.
    EXPECT_EQ(floatBits("1.000000059604644775390625000000000000001"), 0x3F800001u);
    EXPECT_EQ(floatBits("1.000000059604644775390625"), 0x3F800000u);
    for (const char* bad : {"", ".", "-", "+-1", "e5", "- 1", "in", "na", "x",
                            "\xA0"
                            "1"}) {
        EXPECT_FALSE(parseFloat32(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(FloatConversion, HexadecimalForms) {
    EXPECT_EQ(floatBits("0x1.8p1"), 0x40400000u);
    EXPECT_EQ(floatBits("0X.8P0"), 0x3F000000u);
    EXPECT_EQ(floatBits("-0x10"), 0xC1800000u);
    EXPECT_EQ(floatBits("0x1p"), 0x3F800000u);
    EXPECT_EQ(floatBits("0xAp-1"), 0x40A00000u);
    // Without hexadecimal digits the number is the leading zero.
    EXPECT_EQ(floatBits("0x"), 0u);
    EXPECT_EQ(floatBits("0xg"), 0u);
    EXPECT_EQ(floatBits("0x.p1"), 0u);
    EXPECT_EQ(floatBits("0x1.fffffep127"), 0x7F7FFFFFu);
    EXPECT_EQ(floatBits("0x1p-126"), 0x00800000u);
    EXPECT_FALSE(parseFloat32("0x1p-149").has_value());
    EXPECT_EQ(floatBits("0x0p-999"), 0u);
}

TEST(FloatConversion, SpecialWords) {
    EXPECT_EQ(floatBits("inf"), 0x7F800000u);
    EXPECT_EQ(floatBits("INFINITY"), 0x7F800000u);
    EXPECT_EQ(floatBits("-Inf"), 0xFF800000u);
    EXPECT_EQ(floatBits("infinite"), 0x7F800000u);
    const auto nan = parseFloat32("NaN(1)");
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));
    EXPECT_TRUE(std::isnan(parseFloat32("-nan").value_or(0.0f)));
}

TEST(FloatConversion, RangeLimits) {
    // The largest float, and texts just below and at the halfway point to 2^128.
    EXPECT_EQ(floatBits("3.4028235e38"), 0x7F7FFFFFu);
    EXPECT_EQ(floatBits("3.4028235677973366e38"), 0x7F7FFFFFu);
    EXPECT_FALSE(parseFloat32("3.40282356779733661637539395458142568448e38").has_value());
    EXPECT_FALSE(parseFloat32("-3.4028236e38").has_value());
    EXPECT_FALSE(parseFloat32("1e40").has_value());
    EXPECT_FALSE(parseFloat32("1e999999999999999999").has_value());
    EXPECT_FALSE(parseFloat32("0x1p128").has_value());
    EXPECT_FALSE(parseFloat32("0x1.ffffffp127").has_value());
    // A nonzero text whose rounded value is below the smallest normal float
    // underflows and fails, whether it rounds to a subnormal or to zero; one
    // just below that rounds up to it is taken, and zero is zero.
    EXPECT_EQ(floatBits("1.1754943e-38"), 0x00800000u);
    EXPECT_EQ(floatBits("-0x1p-126"), 0x80800000u);
    EXPECT_EQ(floatBits("0.0e-999"), 0x00000000u);
    EXPECT_FALSE(parseFloat32("1.1754942e-38").has_value());
    EXPECT_FALSE(parseFloat32("0x1.fffffcp-127").has_value());
    EXPECT_FALSE(parseFloat32("1e-40").has_value());
    EXPECT_FALSE(parseFloat32("-1.4e-45").has_value());
    EXPECT_FALSE(parseFloat32("7e-46").has_value());
    EXPECT_FALSE(parseFloat32("-1e-50").has_value());
    EXPECT_FALSE(parseFloat32("1e-999999999999999999").has_value());
    EXPECT_FALSE(parseFloat32("0x1p-150").has_value());
}

// Compares with glibc's strtof, a separate correctly rounded implementation, on
// many random texts in both forms. Both must agree on the value wherever ours
// gives one, and ours may refuse only what strtof rounds to infinity, or a
// nonzero text that strtof rounds below the smallest normal float.
TEST(FloatConversion, AgreesWithCorrectlyRoundedReference) {
    std::mt19937 random(20240607);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int i = 0; i < 20000; ++i) {
        const bool hex = pick(0, 3) == 0;
        std::string text = hex ? "0x" : "";
        const int digits = pick(1, 30);
        const int point = pick(0, digits);
        for (int d = 0; d < digits; ++d) {
            if (d == point) {
                text += '.';
            }
            text += (hex ? "0123456789abcdef" : "0123456789")[pick(0, hex ? 15 : 9)];
        }
        text += hex ? 'p' : 'e';
        text += std::to_string(hex ? pick(-180, 140) : pick(-75, 45));

        errno = 0;
        const float reference = std::strtof(text.c_str(), nullptr);
        const auto ours = parseFloat32(text);
        if (ours) {
            EXPECT_EQ(bitsOf(*ours), bitsOf(reference)) << text;
        } else {
            const bool zeroMantissa =
                text.find_first_not_of("0.", hex ? 2 : 0) == text.find(hex ? 'p' : 'e');
            EXPECT_TRUE(std::isinf(reference) ||
                        (std::fabs(reference) < std::numeric_limits<float>::min() && !zeroMantissa))
                << text;
        }
    }
}

} // namespace
