// The next value of a word that moved smoothly over the last three frames:
// moved on by its last step, that step changed by as much as it changed the
// frame before. Most words that move every frame are 32-bit floats
// (positions, headings, offsets), whose bits do not move smoothly where the
// value crosses a power of two or zero; so where the three values are all
// normal floats the extrapolation is made on their values, else on the words
// as integers. Writer and reader must agree on it bit for bit, whatever the
// floating-point settings of the process they run in, so it is worked out
// in integers alone.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

namespace capture {

namespace float_word {

inline constexpr int MantissaBits = 23;
inline constexpr std::uint64_t MantissaMask = (1u << MantissaBits) - 1;
inline constexpr std::uint64_t LeadingBit = 1u << MantissaBits;
inline constexpr std::uint64_t SignBit = 1u << 31;
inline constexpr int LargestExponent = 254; // biased; 255 is infinity and NaN

inline int exponentOf(std::uint64_t word) {
    return static_cast<int>((word >> MantissaBits) & 0xFF);
}

// A 32-bit float, neither zero, subnormal, infinite nor NaN.
inline bool isNormal(std::uint64_t word) {
    const int exponent = exponentOf(word);
    return (word >> 32) == 0 && exponent != 0 && exponent <= LargestExponent;
}

// A normal float's value in units of the float whose exponent is `lowest`
// (at most 31 below its own).
inline std::int64_t scaledValue(std::uint64_t word, int lowest) {
    const auto magnitude = static_cast<std::int64_t>(((word & MantissaMask) | LeadingBit)
                                                     << (exponentOf(word) - lowest));
    return (word & SignBit) != 0 ? -magnitude : magnitude;
}

// The float nearest to `value` units of the float whose exponent is
// `lowest`; 0 when that is not a normal float.
inline std::uint64_t wordOfScaled(std::int64_t value, int lowest) {
    if (value == 0) {
        return 0;
    }
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const int width = 64 - std::countl_zero(magnitude);
    int exponent = lowest + width - (MantissaBits + 1);
    if (width > MantissaBits + 1) {
        const int shift = width - (MantissaBits + 1);
        magnitude = (magnitude + (std::uint64_t{1} << (shift - 1))) >> shift;
        if ((magnitude >> (MantissaBits + 1)) != 0) {
            magnitude >>= 1;
            ++exponent;
        }
    } else {
        magnitude <<= (MantissaBits + 1) - width;
    }
    if (exponent < 1 || exponent > LargestExponent) {
        return 0;
    }
    return (value < 0 ? SignBit : 0) | static_cast<std::uint64_t>(exponent) << MantissaBits |
           (magnitude & MantissaMask);
}

// How far apart the exponents of the three values may be for their values
// to be added exactly in 64 bits.
inline constexpr int WidestExponentSpread = 31;

} // namespace float_word

// The word after `was`, which moved by `step` from the value before it, a
// step that changed by `stepChange` from the one before that.
inline std::uint64_t extrapolatedWord(std::uint64_t was, std::uint64_t step,
                                      std::uint64_t stepChange) {
    using namespace float_word;
    const std::uint64_t asInteger = was + step + stepChange;
    const std::uint64_t before = was - step;
    const std::uint64_t beforeThat = before - (step - stepChange);
    if (!isNormal(was) || !isNormal(before) || !isNormal(beforeThat)) {
        return asInteger;
    }
    const int lowest = std::min({exponentOf(was), exponentOf(before), exponentOf(beforeThat)});
    const int highest = std::max({exponentOf(was), exponentOf(before), exponentOf(beforeThat)});
    if (highest - lowest > WidestExponentSpread) {
        return asInteger;
    }
    // 3 was - 3 before + beforeThat, each under 2^55 units: no overflow.
    const std::int64_t next = 3 * (scaledValue(was, lowest) - scaledValue(before, lowest)) +
                              scaledValue(beforeThat, lowest);
    const std::uint64_t asFloat = wordOfScaled(next, lowest);
    return asFloat != 0 ? asFloat : asInteger;
}

} // namespace capture
