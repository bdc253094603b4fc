#include "settings/control_hash.h"
#include "settings/control_names.h"

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The reference list of control names, one per line, kept apart from the table.
std::vector<std::string> referenceNames() {
    std::ifstream in(PALLBROOK_CONTROL_NAMES_FILE);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

TEST(ControlHash, WorkedValues) {
    EXPECT_EQ(controlHash("INPUT_DUCK"), 0xDB096B85u);
    EXPECT_EQ(controlHash("INPUT_SPRINT"), 0x8FFC75D6u);
    EXPECT_EQ(controlHash("INPUT_ATTACK"), 0x07CE1E61u);
    EXPECT_EQ(controlHash("INPUT_AIM"), 0xF84FA74Fu);
    EXPECT_EQ(controlHash("INPUT_PUSH_TO_TALK"), 0x4BC9DABBu);
    EXPECT_EQ(controlHash("INPUT_HORSE_MOUNT"), 0x9DAC0441u);
    EXPECT_EQ(controlHash(""), 0u);
}

TEST(ControlHash, IgnoresLetterCaseOnly) {
    EXPECT_EQ(controlHash("input_duck"), 0xDB096B85u);
    EXPECT_EQ(controlHash("Input_Duck"), 0xDB096B85u);
    EXPECT_NE(controlHash("INPUT_DUCK "), 0xDB096B85u);
    // Bytes above ASCII are hashed unchanged, not folded.
    EXPECT_NE(controlHash("\xC4"), controlHash("\xE4"));
}

TEST(ControlNameTable, HoldsExactlyTheReferenceNames) {
    const std::vector<std::string> names = referenceNames();
    ASSERT_EQ(names.size(), 302u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 302u);
    EXPECT_EQ(ControlNameTable.size(), 302u);
    for (const std::string& name : names) {
        const auto value = findControl(name);
        ASSERT_TRUE(value.has_value()) << name;
        if (name == "INPUT_HORSE_MOUNT") {
            EXPECT_EQ(*value, 0xE7D09D58u);
        } else {
            EXPECT_EQ(*value, controlHash(name)) << name;
        }
        EXPECT_NE(*value, 0xFFFFFFFFu) << name;
    }
}

TEST(ControlNameTable, MatchesWholeNameExactly) {
    EXPECT_EQ(findControl("INPUT_DUCK"), 0xDB096B85u);
    EXPECT_EQ(findControl("INPUT_HORSE_MOUNT"), 0xE7D09D58u);
    for (const char* absent : {"input_duck", "Input_Duck", "INPUT_DUCK ", " INPUT_DUCK",
                               "INPUT_DUC", "INPUT_DUCKS", "INPUT_", "", "input_horse_mount"}) {
        EXPECT_FALSE(findControl(absent).has_value()) << '"' << absent << '"';
    }
}

} // namespace
