#include "settings/settings.h"

#include "scratch_folder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const fs::path CasesFolder = PALLBROOK_SETTINGS_CASES_DIR;

// The values every setting has before any file is read, written out here rather
// than taken from the record's initialisers.
Json defaultValues() {
    return {{"DragInput", 0x4BC9DABB}, {"DragText", "Drag"},         {"DropText", "Drop"},
            {"HoldTime", 500},         {"PickupAnimDuration", 1000}, {"PutdownAnimDuration", 800},
            {"DetectionRadius", 2.0},  {"SnapDistFeet", 0.55},       {"SnapDistHead", 1.1}};
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Numbers in an expected file are JSON numbers, or strings of hexadecimal digits
// after "0x" (a control hash, or the exact bits of a float).
std::uint32_t expectedHash(const Json& value) {
    return value.is_string()
               ? static_cast<std::uint32_t>(std::stoul(value.get<std::string>(), nullptr, 16))
               : value.get<std::uint32_t>();
}

std::uint32_t expectedFloatBits(const Json& value) {
    return value.is_string()
               ? static_cast<std::uint32_t>(std::stoul(value.get<std::string>(), nullptr, 16))
               : bitsOf(static_cast<float>(value.get<double>()));
}

// Labels in an expected file write a byte that is not UTF-8 as "\xHH".
std::string expectedLabel(const Json& value) {
    const std::string text = value.get<std::string>();
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 4 <= text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CasesFolder)) {
        if (entry.path().extension() == ".expected") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> folderListing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SettingsCase : public ::testing::TestWithParam<std::string> {};

// Each case is a settings file beside the values it must give; a case without a
// settings file runs with none in the working directory.
TEST_P(SettingsCase, GivesExpectedValues) {
    const fs::path iniFile = CasesFolder / (GetParam() + ".ini");
    const Json expectations = Json::parse(readBytes(CasesFolder / (GetParam() + ".expected")));
    Json expected = defaultValues();
    for (const auto& [key, value] : expectations.items()) {
        if (key.front() != '_') {
            ASSERT_TRUE(expected.contains(key)) << "unknown setting " << key;
            expected[key] = value;
        }
    }

    ScratchFolder folder;
    const bool withFile = fs::exists(iniFile);
    const std::string bytes = withFile ? readBytes(iniFile) : std::string();
    if (withFile) {
        writeBytes(folder.path() / "Pallbrook.ini", bytes);
    }
    const auto listingBefore = folderListing(folder.path());

    Settings = SettingsRecord{};
    loadSettings();

    EXPECT_EQ(Settings.DragInput, expectedHash(expected["DragInput"]));
    EXPECT_EQ(Settings.DragText, expectedLabel(expected["DragText"]));
    EXPECT_EQ(Settings.DropText, expectedLabel(expected["DropText"]));
    EXPECT_EQ(Settings.HoldTime, expected["HoldTime"].get<std::int32_t>());
    EXPECT_EQ(Settings.PickupAnimDuration, expected["PickupAnimDuration"].get<std::int32_t>());
    EXPECT_EQ(Settings.PutdownAnimDuration, expected["PutdownAnimDuration"].get<std::int32_t>());
    EXPECT_EQ(bitsOf(Settings.DetectionRadius), expectedFloatBits(expected["DetectionRadius"]));
    EXPECT_EQ(bitsOf(Settings.SnapDistFeet), expectedFloatBits(expected["SnapDistFeet"]));
    EXPECT_EQ(bitsOf(Settings.SnapDistHead), expectedFloatBits(expected["SnapDistHead"]));

    // Reading never writes: the folder holds the same files with the same bytes.
    EXPECT_EQ(folderListing(folder.path()), listingBefore);
    if (withFile) {
        EXPECT_EQ(readBytes(folder.path() / "Pallbrook.ini"), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsCase, ::testing::ValuesIn(caseNames()),
                         [](const auto& info) { return info.param; });

class LoadSettings : public ::testing::Test {
  protected:
    void SetUp() override { Settings = SettingsRecord{}; }
    void TearDown() override { Settings = SettingsRecord{}; }
};

TEST_F(LoadSettings, LaterLoadKeepsValuesItsFileDoesNotGive) {
    ScratchFolder folder;
    writeBytes("Pallbrook.ini", "[Pallbrook]\nHoldTime=1\nDragText=First\n");
    loadSettings();
    writeBytes("Pallbrook.ini", "[Pallbrook]\nDragText=Second\nHoldTime=oops\n");
    loadSettings();
    EXPECT_EQ(Settings.HoldTime, 1);
    EXPECT_EQ(Settings.DragText, "Second");
    fs::remove("Pallbrook.ini");
    loadSettings();
    EXPECT_EQ(Settings.DragText, "Second");
}

TEST_F(LoadSettings, LooksOnlyInTheWorkingDirectory) {
    ScratchFolder folder;
    fs::create_directory("inner");
    writeBytes("Pallbrook.ini", "[Pallbrook]\nHoldTime=1\n");
    writeBytes("inner/Pallbrook.ini.txt", "[Pallbrook]\nHoldTime=2\n");
    fs::create_directory("inner/Pallbrook");
    writeBytes("inner/Pallbrook/Pallbrook.ini", "[Pallbrook]\nHoldTime=3\n");
    writeBytes("inner/pallbrook.ini", "[Pallbrook]\nHoldTime=4\n");
    fs::current_path("inner");
    loadSettings();
    EXPECT_EQ(Settings.HoldTime, 500);
    fs::current_path("..");
    loadSettings();
    EXPECT_EQ(Settings.HoldTime, 1);
}

TEST_F(LoadSettings, UnreadableFileChangesNothing) {
    ScratchFolder folder;
    fs::create_directory("Pallbrook.ini");
    Settings.HoldTime = 7;
    loadSettings();
    EXPECT_EQ(Settings.HoldTime, 7);
    EXPECT_EQ(Settings.DragText, "Drag");
    EXPECT_TRUE(fs::is_directory("Pallbrook.ini"));
}

TEST_F(LoadSettings, ReadOnlyFileIsReadAndLeftAlone) {
    ScratchFolder folder;
    writeBytes("Pallbrook.ini", "[Pallbrook]\nSnapDistHead=1.5\n");
    fs::permissions("Pallbrook.ini", fs::perms::owner_read);
    const auto written = fs::last_write_time("Pallbrook.ini");
    loadSettings();
    EXPECT_EQ(Settings.SnapDistHead, 1.5f);
    EXPECT_EQ(fs::last_write_time("Pallbrook.ini"), written);
    fs::permissions("Pallbrook.ini", fs::perms::owner_all);
}

} // namespace
