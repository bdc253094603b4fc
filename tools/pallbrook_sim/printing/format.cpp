#include "printing/format.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace simtool {

std::string shortest(float value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return {buffer, end};
}

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return shortest(static_cast<float>(value));
    }
    char buffer[128];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // "-0.00" reads badly in a brief; a value that rounds to zero is zero.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::string jsonNumber(float value) {
    std::string text = shortest(value);
    return std::isfinite(value) ? text : jsonString(text);
}

std::string jsonString(std::string_view text) {
    bool plain = true;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        plain = plain && c != '"' && c != '\\' && u >= 0x20 && u < 0x80;
    }
    if (plain) {
        std::string out;
        out.reserve(text.size() + 2);
        out += '"';
        out += text;
        out += '"';
        return out;
    }
    // Escapes, and bytes that are no UTF-8, as the JSON library writes them:
    // each such byte becomes U+FFFD, so that every line stays valid JSON.
    return nlohmann::json(std::string(text))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string hexWord(std::uint64_t value) {
    char buffer[24];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    std::string digits(buffer, end);
    for (char& c : digits) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return "0x" + digits;
}

std::string pointerSegment(std::string_view key) {
    std::string out;
    for (char c : key) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace simtool
