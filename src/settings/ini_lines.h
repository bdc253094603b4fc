// Line-level handling of INI text: splitting bytes into lines and telling what
// each line is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True for the six bytes that count as white space in settings text: space, tab,
// line feed, vertical tab, form feed and carriage return.
constexpr bool isIniSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text without leading and trailing white space (see isIniSpace).
std::string_view trimSpace(std::string_view text);

// Splits file bytes into lines. A line feed ends a line (empty lines included);
// carriage returns and NUL bytes are dropped wherever they stand; the text after
// the last line feed is a line too, so empty input gives no lines and input that
// ends with a line feed gives a final empty line.
std::vector<std::string> splitLines(std::string_view bytes);

enum class LineKind { Blank, Comment, SectionHeader, KeyValue, Unrecognised };

struct ClassifiedLine {
    LineKind kind = LineKind::Blank;
    std::string name;  // section name of a SectionHeader
    std::string key;   // key of a KeyValue, with each "\=" turned into "="
    std::string value; // value of a KeyValue, as written
};

ClassifiedLine classifyLine(std::string_view line);
