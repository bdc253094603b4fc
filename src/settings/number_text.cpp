#include "settings/number_text.h"

#include "settings/ini_lines.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isHexDigit(char c) {
    return hexDigitValue(c) >= 0;
}

std::string_view skipLeadingSpace(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isIniSpace(text[pos])) {
        ++pos;
    }
    return text.substr(pos);
}

// Removes a leading '+' or '-' and tells whether it was '-'.
bool takeSign(std::string_view& text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        const bool negative = text.front() == '-';
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view lowerWord) {
    if (text.size() < lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

// Length of the run from `from` in `text` whose characters satisfy `pred`.
template <typename Pred> std::size_t runLength(std::string_view text, std::size_t from, Pred pred) {
    std::size_t pos = from;
    while (pos < text.size() && pred(text[pos])) {
        ++pos;
    }
    return pos - from;
}

struct NumberPrefix {
    std::size_t length = 0;   // whole prefix, 0 when there is no digit
    std::size_t mantissa = 0; // digits and point, without the exponent
};

// The longest prefix of `text` of the form digits [. digits] with at least one
// digit, followed by an optional exponent (the marker in either case, an
// optional sign and at least one decimal digit).
template <typename DigitPred>
NumberPrefix numberPrefix(std::string_view text, DigitPred isDigit, char lowerMarker) {
    std::size_t pos = runLength(text, 0, isDigit);
    std::size_t digits = pos;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction = runLength(text, pos + 1, isDigit);
        digits += fraction;
        pos += 1 + fraction;
    }
    if (digits == 0) {
        return {};
    }
    NumberPrefix prefix{pos, pos};
    const char upperMarker = static_cast<char>(lowerMarker - 'a' + 'A');
    if (pos < text.size() && (text[pos] == lowerMarker || text[pos] == upperMarker)) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        const std::size_t exponentDigits = runLength(text, exponent, isDecimalDigit);
        if (exponentDigits > 0) {
            prefix.length = exponent + exponentDigits;
        }
    }
    return prefix;
}

// Rounds the magnitude written in the prefix of `text` (no sign, no "0x") to a
// float. The standard conversion rounds correctly; a result beyond the float
// range is out of range, and so is a value that is not zero but rounds below
// the smallest normal float (to a subnormal or to zero): it underflows.
std::optional<float> roundToFloat(std::string_view text, NumberPrefix prefix,
                                  std::chars_format format) {
    const char* first = text.data();
    const char* last = first + prefix.length;
    float value = 0.0f;
    const auto [end, error] = std::from_chars(first, last, value, format);
    const bool zeroMantissa =
        text.substr(0, prefix.mantissa).find_first_not_of("0.") == std::string_view::npos;
    if (zeroMantissa) {
        return 0.0f;
    }
    if (error != std::errc{} || end != last ||
        !(value >= std::numeric_limits<float>::min() &&
          value <= std::numeric_limits<float>::max())) {
        return std::nullopt;
    }
    return value;
}

std::optional<float> parseUnsignedFloat(std::string_view text) {
    if (startsWithIgnoringCase(text, "inf")) {
        return std::numeric_limits<float>::infinity();
    }
    if (startsWithIgnoringCase(text, "nan")) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view afterPrefix = text.substr(2);
        const NumberPrefix prefix = numberPrefix(afterPrefix, isHexDigit, 'p');
        if (prefix.length > 0) {
            return roundToFloat(afterPrefix, prefix, std::chars_format::hex);
        }
        // "0x" without hexadecimal digits: the number is the "0" before the 'x'.
    }
    const NumberPrefix prefix = numberPrefix(text, isDecimalDigit, 'e');
    if (prefix.length == 0) {
        return std::nullopt;
    }
    return roundToFloat(text, prefix, std::chars_format::general);
}

} // namespace

std::optional<std::int32_t> parseDecimalInt32(std::string_view text) {
    text = skipLeadingSpace(text);
    const bool negative = takeSign(text);
    const std::size_t digits = runLength(text, 0, isDecimalDigit);
    if (digits == 0) {
        return std::nullopt;
    }
    // Saturates just beyond the largest magnitude of the range, so any number of
    // digits (leading zeros included) is safe.
    constexpr std::int64_t Limit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (char c : text.substr(0, digits)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > Limit) {
            return std::nullopt;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<float> parseFloat32(std::string_view text) {
    text = skipLeadingSpace(text);
    const bool negative = takeSign(text);
    const std::optional<float> magnitude = parseUnsignedFloat(text);
    if (!magnitude) {
        return std::nullopt;
    }
    return negative ? -*magnitude : *magnitude;
}

std::optional<std::uint32_t> parseHexUint32(std::string_view text) {
    const std::size_t digits = runLength(text, 0, isHexDigit);
    if (digits == 0) {
        return std::nullopt;
    }
    constexpr std::uint64_t Max = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t value = 0;
    for (char c : text.substr(0, digits)) {
        value = value * 16 + static_cast<std::uint64_t>(hexDigitValue(c));
        if (value > Max) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}
