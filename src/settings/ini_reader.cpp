#include "settings/ini_reader.h"

#include "settings/ini_lines.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The whole content of the file, or nothing when it cannot be opened, its size
// cannot be taken or held in memory, or fewer bytes than that size can be read. The C file
// functions keep the shipped library small; "rb" means no line end translation
// and, on Windows, no sharing restriction for other openers.
std::optional<std::string> readWholeFile(const std::string& path) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return std::nullopt;
    }
    // A size that cannot be held in memory (a directory on Linux reports the
    // largest offset) makes the file unreadable rather than an error.
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

void readIniText(std::string_view bytes, IniDocument& document) {
    document = IniDocument{};
    // Sections are only added at a header, which also moves this pointer, so it
    // never dangles.
    IniSection* current = nullptr;
    for (const std::string& line : splitLines(bytes)) {
        ClassifiedLine classified = classifyLine(line);
        if (classified.kind == LineKind::SectionHeader) {
            current = &sectionNamed(document, classified.name);
        } else if (classified.kind == LineKind::KeyValue && current != nullptr) {
            setValue(*current, classified.key, std::move(classified.value));
        }
    }
}

bool readIniDocument(const std::string& path, IniDocument& document) {
    document = IniDocument{};
    if (path.empty()) {
        return false;
    }
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        return false;
    }
    readIniText(*bytes, document);
    return true;
}
