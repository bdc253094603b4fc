// classifyLine on single lines: what each kind of line must look like, that
// names, keys and values come out trimmed, that white space around a line
// changes nothing, and that a header or key line written back from what was
// read reads the same again.
#include "fuzz_check.h"

#include "settings/ini_lines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpaceByte(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpaceByte(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isTrimmed(std::string_view text) {
    return trimmed(text).size() == text.size();
}

bool sameResult(const ClassifiedLine& a, const ClassifiedLine& b) {
    return a.kind == b.kind && a.name == b.name && a.key == b.key && a.value == b.value;
}

// A key written back into a line: each '=' in it escaped as "\=".
std::string escapedKey(std::string_view key) {
    std::string out;
    for (char c : key) {
        if (c == '=') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

void checkHeader(std::string_view line, const ClassifiedLine& result) {
    FUZZ_CHECK(!line.empty() && line.front() == '[');
    FUZZ_CHECK(isTrimmed(result.name));
    FUZZ_CHECK(result.name.find(';') == std::string::npos);
    FUZZ_CHECK(line.find(result.name) != std::string_view::npos);
    FUZZ_CHECK(result.key.empty() && result.value.empty());
    const ClassifiedLine again = classifyLine("[" + result.name + "]");
    FUZZ_CHECK(again.kind == LineKind::SectionHeader && again.name == result.name);
}

void checkKeyValue(std::string_view line, const ClassifiedLine& result) {
    FUZZ_CHECK(!line.empty() && line.front() != ';');
    if (line.front() == '[') {
        // Only a header without its closing bracket (before any ';') reads as a
        // key line, from the text before the ';'.
        line = trimmed(line.substr(0, line.find(';')));
        FUZZ_CHECK(line.find(']') == std::string_view::npos);
    }
    FUZZ_CHECK(isTrimmed(result.key));
    FUZZ_CHECK(isTrimmed(result.value));
    FUZZ_CHECK(line.ends_with(result.value));
    FUZZ_CHECK(result.name.empty());
    if (line.find('\\') == std::string_view::npos) {
        // Without backslashes the first '=' divides key from value.
        const std::size_t equals = line.find('=');
        FUZZ_CHECK(equals != std::string_view::npos);
        FUZZ_CHECK(result.key == trimmed(line.substr(0, equals)));
        FUZZ_CHECK(result.value == trimmed(line.substr(equals + 1)));
    }
    if (result.key.empty() || result.key.front() != '[') {
        const ClassifiedLine again = classifyLine(escapedKey(result.key) + " = " + result.value);
        FUZZ_CHECK(again.kind == LineKind::KeyValue);
        FUZZ_CHECK(again.key == result.key);
        FUZZ_CHECK(again.value == result.value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw = fuzzText(data, size);
    const std::string_view line = trimmed(raw);
    const ClassifiedLine result = classifyLine(raw);

    FUZZ_CHECK((result.kind == LineKind::Blank) == line.empty());
    FUZZ_CHECK((result.kind == LineKind::Comment) == (!line.empty() && line.front() == ';'));
    switch (result.kind) {
    case LineKind::Blank:
    case LineKind::Comment:
    case LineKind::Unrecognised:
        FUZZ_CHECK(result.name.empty() && result.key.empty() && result.value.empty());
        break;
    case LineKind::SectionHeader:
        checkHeader(line, result);
        break;
    case LineKind::KeyValue:
        checkKeyValue(line, result);
        break;
    }
    if (result.kind == LineKind::Unrecognised) {
        FUZZ_CHECK(line.front() != ';');
        // A line with an '=' and no backslash is a key line unless it is a header.
        FUZZ_CHECK(line.find('\\') != std::string_view::npos ||
                   line.substr(0, line.front() == '[' ? line.find(';') : line.size()).find('=') ==
                       std::string_view::npos);
    }

    // White space around the line changes nothing.
    FUZZ_CHECK(sameResult(classifyLine(line), result));
    FUZZ_CHECK(sameResult(classifyLine(" \t\v" + std::string(raw) + "\f\r "), result));
    return 0;
}
