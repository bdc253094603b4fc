#include "settings/ini_document.h"

#include "settings/ini_lines.h"

IniSection& sectionNamed(IniDocument& document, const std::string& name) {
    const auto found = document.sectionIndex.find(name);
    if (found != document.sectionIndex.end()) {
        return document.sections[found->second];
    }
    IniSection& added = document.sections.emplace_back();
    added.name = name;
    document.sectionIndex.emplace(name, document.sections.size() - 1);
    return added;
}

void setValue(IniSection& section, const std::string& key, std::string value) {
    const auto found = section.keyIndex.find(key);
    if (found != section.keyIndex.end()) {
        section.entries[found->second].second = std::move(value);
        return;
    }
    section.entries.emplace_back(key, std::move(value));
    section.keyIndex.emplace(key, section.entries.size() - 1);
}

bool hasKey(const IniSection& section, std::string_view key) {
    return section.keyIndex.count(std::string(trimSpace(key))) != 0;
}

const std::string& valueOf(IniSection& section, std::string_view key) {
    const std::string trimmed(trimSpace(key));
    const auto found = section.keyIndex.find(trimmed);
    if (found != section.keyIndex.end()) {
        return section.entries[found->second].second;
    }
    setValue(section, trimmed, {});
    return section.entries.back().second;
}
