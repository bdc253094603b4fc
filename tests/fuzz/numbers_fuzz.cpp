// The number conversions and resolveControl on arbitrary text, each against a
// plain reference: whole-number texts by digit counting, floats by the C
// library's strtof. Numbers printed from the input's first bytes read back
// exactly, and every name in the control table resolves to its own hash.
#include "fuzz_check.h"

#include "settings/control_names.h"
#include "settings/number_text.h"
#include "settings/resolve_control.h"

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c)) {
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

// Reference: the significant digits of the run are counted, so no arithmetic
// ever sees more than ten decimal or eight hexadecimal digits.
std::optional<std::int32_t> referenceDecimal(std::string_view text) {
    while (!text.empty() && isSpaceByte(text.front())) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t digits = 0;
    while (digits < text.size() && isDigit(text[digits])) {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    std::string_view run = text.substr(0, digits);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    if (run.size() > 10) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    for (char c : run) {
        magnitude = magnitude * 10 + (c - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::uint32_t> referenceHex(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && hexValue(text[digits]) >= 0) {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    std::string_view run = text.substr(0, digits);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    if (run.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : run) {
        value = value * 16 + static_cast<std::uint32_t>(hexValue(c));
    }
    return value;
}

// Reference: strtof in the "C" locale reads the same forms (white space, sign,
// decimal, hexadecimal, inf, infinity, nan) and rounds correctly; it reports a
// range error for overflow and for underflow to zero. Out of range here: a
// result of infinity from a finite text, zero from a nonzero text, and any
// subnormal result (a nonzero value below the smallest normal float).
std::optional<float> referenceFloat(std::string_view text) {
    const std::string copy(text); // strtof reads up to a NUL, as the conversion stops at one
    errno = 0;
    char* end = nullptr;
    const float value = std::strtof(copy.c_str(), &end);
    if (end == copy.c_str()) {
        return std::nullopt;
    }
    if (errno == ERANGE && (value == 0.0f || std::isinf(value))) {
        return std::nullopt;
    }
    if (value != 0.0f && std::fabs(value) < std::numeric_limits<float>::min()) {
        return std::nullopt;
    }
    return value;
}

bool sameFloat(std::optional<float> a, std::optional<float> b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    if (!a) {
        return true;
    }
    if (std::isnan(*a) || std::isnan(*b)) {
        return std::isnan(*a) && std::isnan(*b);
    }
    return std::memcmp(&*a, &*b, sizeof(float)) == 0;
}

std::uint32_t referenceResolve(std::string_view text) {
    if (const auto named = findControl(text); named && *named != NoControl) {
        return *named;
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return referenceHex(text.substr(2)).value_or(NoControl);
    }
    if (const auto number = referenceDecimal(text)) {
        return static_cast<std::uint32_t>(*number);
    }
    return NoControl;
}

const std::vector<std::pair<std::string, std::uint32_t>>& tableEntries() {
    static const std::vector<std::pair<std::string, std::uint32_t>> entries(
        ControlNameTable.begin(), ControlNameTable.end());
    return entries;
}

std::uint32_t firstWord(const std::uint8_t* data, std::size_t size) {
    std::uint32_t word = 0;
    if (size > 0) {
        std::memcpy(&word, data, size < sizeof word ? size : sizeof word);
    }
    return word;
}

void checkPrintedNumbers(std::uint32_t word) {
    const auto asSigned = static_cast<std::int32_t>(word);
    const std::string decimal = std::to_string(asSigned);
    FUZZ_CHECK(parseDecimalInt32(decimal) == asSigned);
    FUZZ_CHECK(parseDecimalInt32(" \t+" + std::to_string(word & 0x7FFFFFFFu) + "ms") ==
               static_cast<std::int32_t>(word & 0x7FFFFFFFu));
    FUZZ_CHECK(resolveControl(decimal) == (word == NoControl ? NoControl : word));

    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(word));
    FUZZ_CHECK(resolveControl(hex) == word);
    std::snprintf(hex, sizeof hex, "0X%08X", static_cast<unsigned>(word));
    FUZZ_CHECK(resolveControl(hex) == word);
    FUZZ_CHECK(parseHexUint32(hex + 2) == word);

    float number = 0.0f;
    std::memcpy(&number, &word, sizeof number);
    // Every finite float reads back exactly, but for the subnormal ones, which
    // underflow.
    if (std::isfinite(number) && (number == 0.0f || std::isnormal(number))) {
        char text[64];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(number));
        FUZZ_CHECK(sameFloat(parseFloat32(text), number));
        std::snprintf(text, sizeof text, "%a", static_cast<double>(number));
        FUZZ_CHECK(sameFloat(parseFloat32(text), number));
    }
}

void checkTableName(std::uint32_t word) {
    const auto& entries = tableEntries();
    FUZZ_CHECK(!entries.empty());
    const auto& [name, hash] = entries[word % entries.size()];
    FUZZ_CHECK(resolveControl(name) == hash);
    // The table is searched as written: the same name in lower case is no name
    // and no number.
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    FUZZ_CHECK(ControlNameTable.count(lower) != 0 || resolveControl(lower) == NoControl);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzzText(data, size);

    FUZZ_CHECK(parseDecimalInt32(text) == referenceDecimal(text));
    FUZZ_CHECK(parseHexUint32(text) == referenceHex(text));
    FUZZ_CHECK(sameFloat(parseFloat32(text), referenceFloat(text)));
    FUZZ_CHECK(resolveControl(text) == referenceResolve(text));
    if (const auto named = findControl(text)) {
        FUZZ_CHECK(resolveControl(text) == *named);
    }

    const std::uint32_t word = firstWord(data, size);
    checkPrintedNumbers(word);
    checkTableName(word);
    return 0;
}
