// The INI reader on arbitrary bytes: the lines it splits, and the document it
// builds, with sections and keys unique, indexed where they stand, in order of
// first occurrence, and no name, key or value carrying a line end, a NUL or
// white space at either end.
#include "fuzz_check.h"

#include "settings/ini_document.h"
#include "settings/ini_lines.h"
#include "settings/ini_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isTrimmed(std::string_view text) {
    return text.empty() || (!isSpaceByte(text.front()) && !isSpaceByte(text.back()));
}

bool hasLineEndOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void checkLines(std::string_view bytes) {
    const std::vector<std::string> lines = splitLines(bytes);
    if (bytes.empty()) {
        FUZZ_CHECK(lines.empty());
        return;
    }
    FUZZ_CHECK(lines.size() ==
               static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    // Joined with line feeds, the lines give back the bytes without CR and NUL.
    std::string kept;
    for (char c : bytes) {
        if (c != '\r' && c != '\0') {
            kept += c;
        }
    }
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(!hasLineEndOrNul(lines[i]));
        if (i > 0) {
            joined += '\n';
        }
        joined += lines[i];
    }
    FUZZ_CHECK(joined == kept);
}

// The document that the lines describe, kept as plain lists: the last value of
// a key wins, and sections and keys stay where they first occurred.
struct ModelSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};

std::vector<ModelSection> modelOf(std::string_view bytes) {
    std::vector<ModelSection> sections;
    ModelSection* current = nullptr;
    for (const std::string& line : splitLines(bytes)) {
        ClassifiedLine classified = classifyLine(line);
        if (classified.kind == LineKind::SectionHeader) {
            auto found = std::find_if(sections.begin(), sections.end(), [&](const ModelSection& s) {
                return s.name == classified.name;
            });
            if (found == sections.end()) {
                sections.push_back({classified.name, {}});
                found = sections.end() - 1;
            }
            current = &*found;
        } else if (classified.kind == LineKind::KeyValue && current != nullptr) {
            auto found =
                std::find_if(current->entries.begin(), current->entries.end(),
                             [&](const auto& entry) { return entry.first == classified.key; });
            if (found == current->entries.end()) {
                current->entries.emplace_back(classified.key, classified.value);
            } else {
                found->second = classified.value;
            }
        }
    }
    return sections;
}

void checkDocument(const IniDocument& document) {
    FUZZ_CHECK(document.sectionIndex.size() == document.sections.size());
    for (std::size_t i = 0; i < document.sections.size(); ++i) {
        const IniSection& section = document.sections[i];
        const auto at = document.sectionIndex.find(section.name);
        FUZZ_CHECK(at != document.sectionIndex.end() && at->second == i);
        FUZZ_CHECK(isTrimmed(section.name));
        FUZZ_CHECK(!hasLineEndOrNul(section.name));
        // A header ends at its first ';', so no section name holds one.
        FUZZ_CHECK(section.name.find(';') == std::string::npos);

        FUZZ_CHECK(section.keyIndex.size() == section.entries.size());
        for (std::size_t j = 0; j < section.entries.size(); ++j) {
            const auto& [key, value] = section.entries[j];
            const auto keyAt = section.keyIndex.find(key);
            FUZZ_CHECK(keyAt != section.keyIndex.end() && keyAt->second == j);
            FUZZ_CHECK(isTrimmed(key));
            FUZZ_CHECK(isTrimmed(value));
            FUZZ_CHECK(!hasLineEndOrNul(key));
            FUZZ_CHECK(!hasLineEndOrNul(value));
        }
    }
}

void checkLookups(IniDocument& document) {
    for (IniSection& section : document.sections) {
        const std::size_t entryCount = section.entries.size();
        for (std::size_t j = 0; j < entryCount; ++j) {
            const std::string key = section.entries[j].first;
            const std::string value = section.entries[j].second;
            FUZZ_CHECK(hasKey(section, key));
            FUZZ_CHECK(hasKey(section, " \t" + key + "\r\v\f "));
            FUZZ_CHECK(valueOf(section, "\t" + key + " ") == value);
        }
        // Looking up keys that exist adds nothing.
        FUZZ_CHECK(section.entries.size() == entryCount);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzText(data, size);
    checkLines(bytes);

    IniDocument document;
    readIniText(bytes, document);
    checkDocument(document);

    const std::vector<ModelSection> model = modelOf(bytes);
    FUZZ_CHECK(model.size() == document.sections.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        FUZZ_CHECK(document.sections[i].name == model[i].name);
        FUZZ_CHECK(document.sections[i].entries == model[i].entries);
    }

    // Reading into a document that already holds content starts from empty.
    IniDocument reused;
    setValue(sectionNamed(reused, "Pallbrook"), "HoldTime", "1");
    sectionNamed(reused, "left over");
    readIniText(bytes, reused);
    FUZZ_CHECK(reused.sections.size() == document.sections.size());
    for (std::size_t i = 0; i < reused.sections.size(); ++i) {
        FUZZ_CHECK(reused.sections[i].name == document.sections[i].name);
        FUZZ_CHECK(reused.sections[i].entries == document.sections[i].entries);
    }

    checkLookups(document);
    return 0;
}
