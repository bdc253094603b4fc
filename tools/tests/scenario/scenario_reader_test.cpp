// What the reader takes from a good file: the values a scenario relies on.
#include "printing/names.h"
#include "scenario/scenario_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

simtool::ReadResult readText(const std::string& text) {
    std::string path = ::testing::TempDir() + "scenario_reader_test.json";
    std::ofstream(path, std::ios::binary) << text;
    simtool::ReadResult result = simtool::readScenario(path);
    std::remove(path.c_str());
    return result;
}

TEST(ScenarioReader, TakesTheWorldTimelineAndExpectationsAsWritten) {
    simtool::ReadResult read = readText(R"({
      "frames": 50,
      "settings": ["[Pallbrook]", "HoldTime=700"],
      "world": {"frame_time_ms": 16, "start_time_ms": 4294967000, "ground_height": null,
                "input": "pad", "dict_load_frames": {"a": 3, "b": "never"},
                "player": {"position": [1, 2], "weapons": ["WEAPON_PISTOL_MAUSER"]},
                "peds": [{"name": "x", "position": [0, 1, 0.5], "heading": 45, "dead": true,
                          "flagged_parts": [10, 13], "attached_to": "player"}]},
      "timeline": [{"time": 400, "stick": {"INPUT_MOVE_LR": -1}, "note": "n"},
                   {"frame": 3, "release": ["INPUT_AIM", "0xDB096B85"]}],
      "expect": [{"end": true, "state": "PuttingDown", "prompt": null},
                 {"frame": 50, "player_heading": {"degrees": -3, "within": 0}}]
    })");
    for (const std::string& problem : read.problems) {
        ADD_FAILURE() << problem;
    }
    ASSERT_TRUE(read.scenario);
    const simtool::Scenario& s = *read.scenario;
    EXPECT_EQ(s.settings, "[Pallbrook]\r\nHoldTime=700\r\n");
    EXPECT_EQ(s.world.frameTimeMs, 16u);
    EXPECT_EQ(s.world.startTimeMs, 4294967000u);
    EXPECT_FALSE(s.world.groundHeight);
    EXPECT_FALSE(s.world.keyboard);
    EXPECT_EQ(s.world.dictLoadFrames.at("a"), 3);
    EXPECT_EQ(s.world.dictLoadFrames.at("b"), -1);
    EXPECT_FALSE(s.world.player.positionHasHeight);
    EXPECT_EQ(simtool::weaponName(*s.world.player.weapons[0]), "WEAPON_PISTOL_MAUSER");
    EXPECT_FALSE(s.world.player.weapons[1]);
    ASSERT_EQ(s.world.peds.size(), 1u);
    const simtool::PedChange& x = s.world.peds[0].change;
    EXPECT_FLOAT_EQ(x.position->z, 0.5f);
    EXPECT_FLOAT_EQ(*x.heading, 45.0f);
    EXPECT_EQ(*x.flaggedParts, (std::vector<int>{10, 13}));
    EXPECT_EQ(*x.attachedTo, "player");
    ASSERT_EQ(s.timeline.size(), 2u);
    EXPECT_EQ(s.timeline[0].at.kind, simtool::Moment::Kind::Time);
    EXPECT_EQ(s.timeline[0].at.value, 400);
    EXPECT_FLOAT_EQ(s.timeline[0].action.stick.at(0).second, -1.0f);
    EXPECT_EQ(s.timeline[1].action.controls, (std::vector<std::uint32_t>{0xF84FA74F, 0xDB096B85}));
    ASSERT_EQ(s.expectations.size(), 2u);
    EXPECT_EQ(s.expectations[0].at.kind, simtool::Moment::Kind::End);
    EXPECT_EQ(*s.expectations[0].state, DragPhase::PuttingDown);
    EXPECT_TRUE(s.expectations[0].prompt->none);
    EXPECT_FLOAT_EQ(s.expectations[1].playerHeading->first, -3.0f);
}

TEST(ScenarioReader, ReportsEveryFaultOfAFileNotOnlyTheFirst) {
    simtool::ReadResult read = readText(R"({
      "frames": 0,
      "world": {"input": "joystick", "peds": [{"name": "x"}, {"name": "x"}]},
      "timeline": [{"frame": 1, "stick": {"INPUT_MOVE_LR": 1.5}}],
      "expect": [{"end": true}]
    })");
    EXPECT_FALSE(read.scenario);
    std::string all;
    for (const std::string& problem : read.problems) {
        all += problem + "\n";
    }
    EXPECT_NE(all.find("/frames: must be from 1 to"), std::string::npos) << all;
    EXPECT_NE(all.find("/world/input: expected \"keyboard\" or \"pad\""), std::string::npos) << all;
    EXPECT_NE(all.find("/world/peds/1/name: the name \"x\" is taken"), std::string::npos) << all;
    EXPECT_NE(all.find("/timeline/0/stick/INPUT_MOVE_LR: a stick value runs from -1 to 1"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("/expect/0: an expectation needs at least one thing to check"),
              std::string::npos)
        << all;
}

} // namespace

// Each number of a scenario with a range is taken at its bounds and refused
// one past them (@ is where the number goes).
TEST(ScenarioReader, NumbersAreTakenAtTheirBoundsAndRefusedOnePast) {
    struct Bound {
        const char* json;
        const char* at;
        const char* past;
    };
    const char* const expectEnd = R"("expect": [{"end": true, "state": "Idle"}])";
    for (const Bound& b : std::initializer_list<Bound>{
             {R"({"frames": @, X})", "10000000", "10000001"},
             {R"({"frames": @, X})", "1", "0"},
             {R"({"frames": 5, "world": {"frame_time_ms": @}, X})", "10000", "10001"},
             {R"({"frames": 5, "world": {"frame_time_ms": @}, X})", "1", "0"},
             {R"({"frames": 5, "world": {"start_time_ms": @}, X})", "4294967295", "4294967296"},
             {R"({"frames": 5, "world": {"start_time_ms": @}, X})", "0", "-1"},
             {R"({"frames": 5, "world": {"dict_load_frames": {"d": @}}, X})", "1000000", "1000001"},
             {R"({"frames": 5, "timeline": [{"frame": @, "hold": "INPUT_AIM"}], X})", "5", "6"},
             {R"({"frames": 5, "timeline": [{"time": @, "hold": "INPUT_AIM"}], X})", "4294967295",
              "4294967296"},
             {R"({"frames": 5, "world": {"player": {"position": [@, 0]}}, X})", "3.4028235e38",
              "3.4028236e38"},
             {R"({"frames": 5, "expect": [{"end": true, "prompt": {"hold_ms": @}}]})",
              "-2147483648", "-2147483649"},
             {R"({"frames": 5, "expect": [{"end": true, "body_pins": {"body": "player",
                  "count": @}}]})",
              "64", "65"},
         }) {
        const auto with = [&b, expectEnd](const char* number) {
            std::string text = b.json;
            text.replace(text.find('@'), 1, number);
            if (const auto x = text.find('X'); x != std::string::npos) {
                text.replace(x, 1, expectEnd);
            }
            return readText(text);
        };
        const simtool::ReadResult at = with(b.at);
        EXPECT_TRUE(at.scenario) << b.json << " with " << b.at << ": "
                                 << (at.problems.empty() ? "" : at.problems.front());
        const simtool::ReadResult past = with(b.past);
        EXPECT_FALSE(past.scenario) << b.json << " with " << b.past;
    }
}
