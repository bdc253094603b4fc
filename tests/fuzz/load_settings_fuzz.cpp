// loadSettings on arbitrary bytes written as Pallbrook.ini in a scratch working
// directory: the grab distances it takes are finite, the labels carry no line end or NUL
// and no white space at either end, the same file gives the same settings every
// time, a value that the file does not give stays as it was, and the labels are
// those that the in-memory reader finds in the same bytes.
#include "fuzz_check.h"

#include "settings/ini_document.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

// A fresh folder under $TMPDIR (or /tmp) that is the working directory while
// the target runs.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        const char* parent = std::getenv("TMPDIR");
        std::string pattern = std::string(parent != nullptr && *parent != '\0' ? parent : "/tmp") +
                              "/pallbrook-fuzz-XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
        FUZZ_CHECK(::chdir(path_.c_str()) == 0);
    }
    ~ScratchDirectory() {
        std::remove("Pallbrook.ini");
        if (::chdir("/") == 0) {
            ::rmdir(path_.c_str());
        }
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  private:
    std::string path_;
};

void writeSettingsFile(std::string_view bytes) {
    std::FILE* file = std::fopen("Pallbrook.ini", "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_CHECK(std::fclose(file) == 0);
}

bool sameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool same(const SettingsRecord& a, const SettingsRecord& b) {
    return a.DragInput == b.DragInput && a.DragText == b.DragText && a.DropText == b.DropText &&
           a.HoldTime == b.HoldTime && a.PickupAnimDuration == b.PickupAnimDuration &&
           a.PutdownAnimDuration == b.PutdownAnimDuration &&
           sameFloat(a.DetectionRadius, b.DetectionRadius) &&
           sameFloat(a.SnapDistFeet, b.SnapDistFeet) && sameFloat(a.SnapDistHead, b.SnapDistHead);
}

bool isTrimmedLabel(const std::string& text) {
    constexpr std::string_view Space(" \t\n\v\f\r", 6);
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        return false;
    }
    return text.empty() || (Space.find(text.front()) == std::string_view::npos &&
                            Space.find(text.back()) == std::string_view::npos);
}

SettingsRecord loadedFrom(const SettingsRecord& inForce) {
    Settings = inForce;
    loadSettings();
    return Settings;
}

// Values that no settings file in the seeds gives, to tell "kept" from "loaded".
SettingsRecord unusualValues() {
    SettingsRecord record;
    record.DragInput = 0x13572468;
    record.DragText = "a label long enough to live on the heap";
    record.DropText = "";
    record.HoldTime = -77;
    record.PickupAnimDuration = 123456;
    record.PutdownAnimDuration = 0;
    record.DetectionRadius = -9.25f;
    record.SnapDistFeet = 1e-3f;
    record.SnapDistHead = 4096.5f;
    return record;
}

template <typename T>
void checkKeptOrTaken(const T& fromDefaults, const T& defaultValue, const T& fromUnusual,
                      const T& unusualValue, bool (*equal)(const T&, const T&)) {
    // A value the file gives replaces either starting value the same way; a value
    // it does not give leaves each starting value as it was.
    FUZZ_CHECK(equal(fromUnusual, fromDefaults) || equal(fromUnusual, unusualValue));
    if (!equal(fromDefaults, defaultValue)) {
        FUZZ_CHECK(equal(fromUnusual, fromDefaults));
    }
    if (!equal(fromUnusual, unusualValue)) {
        FUZZ_CHECK(equal(fromUnusual, fromDefaults));
    }
}

template <typename T> bool equalValues(const T& a, const T& b) {
    return a == b;
}

bool equalFloats(const float& a, const float& b) {
    return sameFloat(a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchDirectory scratch;
    const std::string_view bytes = fuzzText(data, size);
    writeSettingsFile(bytes);

    const SettingsRecord defaults;
    const SettingsRecord first = loadedFrom(defaults);
    FUZZ_CHECK(std::isfinite(first.SnapDistFeet));
    FUZZ_CHECK(std::isfinite(first.SnapDistHead));
    FUZZ_CHECK(isTrimmedLabel(first.DragText));
    FUZZ_CHECK(isTrimmedLabel(first.DropText));

    // The same bytes give the same settings, from the defaults and on top of
    // what they gave before.
    FUZZ_CHECK(same(loadedFrom(defaults), first));
    FUZZ_CHECK(same(loadedFrom(first), first));

    const SettingsRecord unusual = unusualValues();
    const SettingsRecord over = loadedFrom(unusual);
    checkKeptOrTaken(first.DragInput, defaults.DragInput, over.DragInput, unusual.DragInput,
                     &equalValues<std::uint32_t>);
    checkKeptOrTaken(first.DragText, defaults.DragText, over.DragText, unusual.DragText,
                     &equalValues<std::string>);
    checkKeptOrTaken(first.DropText, defaults.DropText, over.DropText, unusual.DropText,
                     &equalValues<std::string>);
    checkKeptOrTaken(first.HoldTime, defaults.HoldTime, over.HoldTime, unusual.HoldTime,
                     &equalValues<std::int32_t>);
    checkKeptOrTaken(first.PickupAnimDuration, defaults.PickupAnimDuration, over.PickupAnimDuration,
                     unusual.PickupAnimDuration, &equalValues<std::int32_t>);
    checkKeptOrTaken(first.PutdownAnimDuration, defaults.PutdownAnimDuration,
                     over.PutdownAnimDuration, unusual.PutdownAnimDuration,
                     &equalValues<std::int32_t>);
    checkKeptOrTaken(first.DetectionRadius, defaults.DetectionRadius, over.DetectionRadius,
                     unusual.DetectionRadius, &equalFloats);
    checkKeptOrTaken(first.SnapDistFeet, defaults.SnapDistFeet, over.SnapDistFeet,
                     unusual.SnapDistFeet, &equalFloats);
    checkKeptOrTaken(first.SnapDistHead, defaults.SnapDistHead, over.SnapDistHead,
                     unusual.SnapDistHead, &equalFloats);

    // The file gives the labels that the in-memory reader finds in its bytes.
    IniDocument document;
    readIniText(bytes, document);
    const auto section = document.sectionIndex.find("Pallbrook");
    if (section == document.sectionIndex.end()) {
        FUZZ_CHECK(same(first, defaults));
        FUZZ_CHECK(same(over, unusual));
    } else {
        IniSection& pallbrook = document.sections[section->second];
        FUZZ_CHECK(over.DragText == (hasKey(pallbrook, "DragText") ? valueOf(pallbrook, "DragText")
                                                                   : unusual.DragText));
        FUZZ_CHECK(over.DropText == (hasKey(pallbrook, "DropText") ? valueOf(pallbrook, "DropText")
                                                                   : unusual.DropText));
        // A key that the section lacks leaves its value in force.
        FUZZ_CHECK(hasKey(pallbrook, "DragInput") || over.DragInput == unusual.DragInput);
        FUZZ_CHECK(hasKey(pallbrook, "HoldTime") || over.HoldTime == unusual.HoldTime);
        FUZZ_CHECK(hasKey(pallbrook, "PickupAnimDuration") ||
                   over.PickupAnimDuration == unusual.PickupAnimDuration);
        FUZZ_CHECK(hasKey(pallbrook, "PutdownAnimDuration") ||
                   over.PutdownAnimDuration == unusual.PutdownAnimDuration);
        FUZZ_CHECK(hasKey(pallbrook, "DetectionRadius") ||
                   sameFloat(over.DetectionRadius, unusual.DetectionRadius));
        FUZZ_CHECK(hasKey(pallbrook, "SnapDistFeet") ||
                   sameFloat(over.SnapDistFeet, unusual.SnapDistFeet));
        FUZZ_CHECK(hasKey(pallbrook, "SnapDistHead") ||
                   sameFloat(over.SnapDistHead, unusual.SnapDistHead));
    }
    return 0;
}
