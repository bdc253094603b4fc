#include "settings/ini_lines.h"

namespace {

constexpr std::string_view EscapedEquals = "\\=";

// Replaces each "\=" (left to right, without overlap) with `replacement`.
std::string replaceEscapedEquals(std::string_view text, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.substr(pos, EscapedEquals.size()) == EscapedEquals) {
            out += replacement;
            pos += EscapedEquals.size();
        } else {
            out += text[pos];
            ++pos;
        }
    }
    return out;
}

ClassifiedLine classifyKeyValue(std::string_view line) {
    // The escaped form is blanked out of a copy of the same length, so the first
    // plain '=' in the copy sits at the same position in the line.
    const std::string masked = replaceEscapedEquals(line, "  ");
    const std::size_t equals = masked.find('=');
    if (equals == std::string::npos) {
        return {LineKind::Unrecognised, {}, {}, {}};
    }
    ClassifiedLine result;
    result.kind = LineKind::KeyValue;
    result.key = replaceEscapedEquals(trimSpace(line.substr(0, equals)), "=");
    result.value = std::string(trimSpace(line.substr(equals + 1)));
    return result;
}

} // namespace

std::string_view trimSpace(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isIniSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isIniSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    if (bytes.empty()) {
        return lines;
    }
    std::string current;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
        } else if (c != '\r' && c != '\0') {
            current += c;
        }
    }
    lines.push_back(std::move(current));
    return lines;
}

ClassifiedLine classifyLine(std::string_view rawLine) {
    std::string_view line = trimSpace(rawLine);
    if (line.empty()) {
        return {LineKind::Blank, {}, {}, {}};
    }
    if (line.front() == ';') {
        return {LineKind::Comment, {}, {}, {}};
    }
    if (line.front() == '[') {
        // A header may carry a comment after it; a header without a closing
        // bracket is read as a key line, without that comment.
        line = line.substr(0, line.find(';'));
        const std::size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            ClassifiedLine result;
            result.kind = LineKind::SectionHeader;
            result.name = std::string(trimSpace(line.substr(1, close - 1)));
            return result;
        }
    }
    return classifyKeyValue(line);
}
