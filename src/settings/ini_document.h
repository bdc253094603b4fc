// The parsed content of one INI file: sections of key/value pairs, each kept in
// the order of first occurrence. Every comparison is exact and case-sensitive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
    std::unordered_map<std::string, std::size_t> keyIndex;
};

struct IniDocument {
    std::vector<IniSection> sections;
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

// The section of that name, added empty at the end when the document has none.
IniSection& sectionNamed(IniDocument& document, const std::string& name);

// Sets the key to the value: replaced in place when the key exists, appended
// otherwise.
void setValue(IniSection& section, const std::string& key, std::string value);

// Whether the section has the key (the key is trimmed first).
bool hasKey(const IniSection& section, std::string_view key);

// The value of the key (trimmed first); an absent key is added with an empty
// value.
const std::string& valueOf(IniSection& section, std::string_view key);
