// Text forms that must come out the same on every build: numbers through
// std::to_chars (no locale, no C runtime printf), JSON strings and hex words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace simtool {

// The shortest text that reads back as the same float; "nan", "inf", "-inf"
// for the values JSON has no number for.
std::string shortest(float value);

// Fixed notation with this many decimals, rounded exactly.
std::string fixed(double value, int decimals);

// A JSON number for a float: shortest form, or a quoted string for nan/inf.
std::string jsonNumber(float value);

// A quoted JSON string with the required escapes; bytes that are no UTF-8
// are replaced by U+FFFD, so the string is always valid JSON.
std::string jsonString(std::string_view text);

// "0x" and upper-case hex digits, no leading zeros.
std::string hexWord(std::uint64_t value);

// A JSON pointer segment: "~" and "/" escaped.
std::string pointerSegment(std::string_view key);

} // namespace simtool
