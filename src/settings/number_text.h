// Text to number conversions for settings values. They depend neither on the C
// locale nor on the C runtime, so a settings file gives the same numbers on every
// platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Leading white space, an optional '+' or '-', then the longest run of decimal
// digits; the rest is ignored. Nothing when there is no digit or the number is
// outside the signed 32-bit range.
std::optional<std::int32_t> parseDecimalInt32(std::string_view text);

// Leading white space, an optional sign, then the longest prefix that forms a
// number: decimal digits with an optional point and exponent, a hexadecimal
// floating form after "0x" or "0X", or "inf", "infinity" or "nan" in any letter
// case; the rest is ignored. The value is rounded to the nearest float.
// Nothing when no number can be formed, when a finite text rounds beyond the
// float range, or when a text of nonzero value underflows: it rounds below the
// smallest normal float, to a subnormal or to zero.
std::optional<float> parseFloat32(std::string_view text);

// The longest run of hexadecimal digits (either letter case) at the start of the
// text, which carries no prefix; the rest is ignored. Nothing when there is no
// digit or the number exceeds 0xFFFFFFFF.
std::optional<std::uint32_t> parseHexUint32(std::string_view text);
