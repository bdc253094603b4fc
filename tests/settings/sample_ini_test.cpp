// The sample Pallbrook.ini that ships in the zip: loading it must leave every
// setting at its built-in default, every key must really be read from it, and
// the control names and hashes that it and the players' documents suggest must
// be ones that the plugin accepts.
#include "settings/control_names.h"
#include "settings/ini_document.h"
#include "settings/ini_lines.h"
#include "settings/ini_reader.h"
#include "settings/resolve_control.h"
#include "settings/settings.h"

#include "scratch_folder.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const fs::path SourceFolder =
    (fs::path(PALLBROOK_SETTINGS_CASES_DIR) / ".." / ".." / "..").lexically_normal();
const fs::path SampleFile = SourceFolder / "dist" / "Pallbrook.ini";

// Every document that tells players which values to write (README.md leaves
// that to the players' guide).
const std::vector<fs::path> PlayerDocuments = {SampleFile, SourceFolder / "dist" / "README.txt"};

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string sampleBytes() {
    EXPECT_TRUE(fs::is_regular_file(SampleFile)) << SampleFile;
    return readBytes(SampleFile);
}

class SampleIni : public ::testing::Test {
  protected:
    void TearDown() override { Settings = SettingsRecord{}; }
};

// Every field starts from a value unlike its default, so a key that the file
// does not give, or gives in a form that is not usable, shows as a difference.
TEST_F(SampleIni, LoadsToExactlyTheBuiltInDefaults) {
    const std::string bytes = sampleBytes();
    ScratchFolder folder;
    writeBytes(folder.path() / "Pallbrook.ini", bytes);

    Settings.DragInput = controlHash("INPUT_DUCK");
    Settings.DragText = "not loaded";
    Settings.DropText = "not loaded";
    Settings.HoldTime = -1;
    Settings.PickupAnimDuration = -1;
    Settings.PutdownAnimDuration = -1;
    Settings.DetectionRadius = -1.0f;
    Settings.SnapDistFeet = -1.0f;
    Settings.SnapDistHead = -1.0f;
    loadSettings();

    // The defaults, written out rather than taken from the record's initialisers.
    EXPECT_EQ(Settings.DragInput, 0x4BC9DABBu);
    EXPECT_EQ(Settings.DragText, "Drag");
    EXPECT_EQ(Settings.DropText, "Drop");
    EXPECT_EQ(Settings.HoldTime, 500);
    EXPECT_EQ(Settings.PickupAnimDuration, 1000);
    EXPECT_EQ(Settings.PutdownAnimDuration, 800);
    EXPECT_EQ(bitsOf(Settings.DetectionRadius), bitsOf(2.0f));
    EXPECT_EQ(bitsOf(Settings.SnapDistFeet), bitsOf(0.55f));
    EXPECT_EQ(bitsOf(Settings.SnapDistHead), bitsOf(1.1f));

    // And the same as a record that never saw a file.
    const SettingsRecord defaults;
    EXPECT_EQ(Settings.DragInput, defaults.DragInput);
    EXPECT_EQ(Settings.DragText, defaults.DragText);
    EXPECT_EQ(Settings.DropText, defaults.DropText);
    EXPECT_EQ(Settings.HoldTime, defaults.HoldTime);
    EXPECT_EQ(Settings.PickupAnimDuration, defaults.PickupAnimDuration);
    EXPECT_EQ(Settings.PutdownAnimDuration, defaults.PutdownAnimDuration);
    EXPECT_EQ(bitsOf(Settings.DetectionRadius), bitsOf(defaults.DetectionRadius));
    EXPECT_EQ(bitsOf(Settings.SnapDistFeet), bitsOf(defaults.SnapDistFeet));
    EXPECT_EQ(bitsOf(Settings.SnapDistHead), bitsOf(defaults.SnapDistHead));
}

// The file has the one section and exactly the keys that the plugin reads, in
// the order it reads them, each with the default written plainly: no trailing
// comment, no unit, no quotation marks (a number followed by a ';' comment would
// still load as the number, so the load above alone would not show one).
TEST_F(SampleIni, HoldsEachKeyOnceWithItsDefaultWrittenPlainly) {
    IniDocument document;
    readIniText(sampleBytes(), document);

    ASSERT_EQ(document.sections.size(), 1u);
    EXPECT_EQ(document.sections[0].name, "Pallbrook");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"DragInput", "INPUT_PUSH_TO_TALK"},
        {"DragText", "Drag"},
        {"DropText", "Drop"},
        {"HoldTime", "500"},
        {"PickupAnimDuration", "1000"},
        {"PutdownAnimDuration", "800"},
        {"DetectionRadius", "2.0"},
        {"SnapDistFeet", "0.55"},
        {"SnapDistHead", "1.1"}};
    EXPECT_EQ(document.sections[0].entries, expected);

    int keyLines = 0;
    for (const std::string& line : splitLines(sampleBytes())) {
        keyLines += classifyLine(line).kind == LineKind::KeyValue ? 1 : 0;
    }
    EXPECT_EQ(keyLines, 9) << "a key is given twice, or a key line stands before the header";
}

// Prose that lost its ';' is an unrecognised line at best and a stray key at
// worst; a byte-order mark or a byte outside ASCII trips up players' editors
// and, before the header, hides the section.
TEST_F(SampleIni, HasOnlyCommentsBlanksTheHeaderAndKeyLinesInPlainAscii) {
    const std::string bytes = sampleBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.front(), ';');
    EXPECT_EQ(bytes.back(), '\n');
    for (char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte <= 0x7E))
            << "byte 0x" << std::hex << int{byte};
    }

    int headers = 0;
    int lineNumber = 0;
    for (const std::string& line : splitLines(bytes)) {
        ++lineNumber;
        const ClassifiedLine classified = classifyLine(line);
        EXPECT_NE(classified.kind, LineKind::Unrecognised) << "line " << lineNumber << ": " << line;
        if (classified.kind == LineKind::SectionHeader) {
            ++headers;
            EXPECT_EQ(line, "[Pallbrook]") << "line " << lineNumber;
        }
        if (classified.kind == LineKind::KeyValue) {
            EXPECT_EQ(line.find_first_of(" \t;#\"'"), std::string::npos)
                << "line " << lineNumber << ": " << line;
        }
    }
    EXPECT_EQ(headers, 1);
}

// A control name that players copy from the documents must be one the plugin
// knows, and a hash given as "the same as" a name must be that name's hash.
TEST_F(SampleIni, DocumentsSuggestOnlyControlsThePluginAccepts) {
    const std::regex controlName("INPUT_[A-Z0-9_]+");
    const std::regex sameAs(R"((0[xX][0-9A-Fa-f]+) \(the same as (INPUT_[A-Z0-9_]+)\))");
    for (const fs::path& document : PlayerDocuments) {
        SCOPED_TRACE(document.string());
        ASSERT_TRUE(fs::is_regular_file(document));
        const std::string text = readBytes(document);

        int names = 0;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), controlName);
             it != std::sregex_iterator(); ++it) {
            ++names;
            EXPECT_TRUE(findControl(it->str()).has_value()) << it->str();
        }
        EXPECT_GT(names, 0) << "the document names no control";

        for (auto it = std::sregex_iterator(text.begin(), text.end(), sameAs);
             it != std::sregex_iterator(); ++it) {
            const auto named = findControl((*it)[2].str());
            ASSERT_TRUE(named.has_value()) << (*it)[2].str();
            EXPECT_EQ(resolveControl((*it)[1].str()), *named) << it->str();
        }
    }
}

} // namespace
