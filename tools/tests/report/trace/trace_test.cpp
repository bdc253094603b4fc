// The trace prints texts and the values natives wrote, never a pointer.
#include "play/replay.h"
#include "printing/format.h"
#include "report/trace/trace.h"

#include "plugin/natives.h"
#include "sim/world/world.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

namespace {

std::uint64_t pointerWord(const void* p) {
    return reinterpret_cast<std::uint64_t>(p);
}

TEST(TraceLine, TextsAppearAsTheirCharactersAndNeverAsPointers) {
    sim::installWorld();
    const char* dict = "ai_combat@drag_ped@base";
    const char* clip = "injured_drag_plyr";
    sim::NativeCall call;
    call.hash = natives::IsPlayingClip; // (ped, dict, clip, 3)
    call.args.words = {0x3E9, pointerWord(dict), pointerWord(clip), 3};
    call.args.count = 4;
    std::string line = simtool::traceLine(call, {7, 3, 231});
    EXPECT_NE(line.find(R"("words":["0x3E9",{"text":"ai_combat@drag_ped@base"},)"
                        R"({"text":"injured_drag_plyr"},"0x3"])"),
              std::string::npos)
        << line;
    EXPECT_EQ(line.find(simtool::hexWord(pointerWord(dict))), std::string::npos) << line;
    EXPECT_NE(line.find(R"("frame":7,"event":3,"time":231,"hash":"0xDEE49D5CA6C49148")"),
              std::string::npos);
    EXPECT_NE(line.find(R"("result":0)"), std::string::npos) << line;
}

TEST(TraceLine, FloatsInTheShortestFormThatReadsBackAndOutValuesAsWritten) {
    sim::installWorld();
    float groundHeight = 2.75f;
    sim::NativeCall call;
    call.hash = natives::GroundHeight; // (x, y, z, pointer to float, 0)
    std::uint32_t x, y, z;
    float fx = 0.55f, fy = -1.0f, fz = 1e13f;
    std::memcpy(&x, &fx, 4);
    std::memcpy(&y, &fy, 4);
    std::memcpy(&z, &fz, 4);
    call.args.words = {x, y, z, pointerWord(&groundHeight), 0};
    call.args.count = 5;
    std::string line = simtool::traceLine(call, {1, 1, 33});
    EXPECT_NE(line.find(R"("args":[0.55,-1,1e+13,{"out":2.75},0])"), std::string::npos) << line;
    EXPECT_NE(line.find(R"("pointer")"), std::string::npos) << line;
}

} // namespace

// A settings file saved in Windows-1252 puts bytes that are no UTF-8 into the
// trace of a replay, and the replay differs at the label made from them. Every
// line must still be JSON, and the first made-up answer must be the event the
// DIFFERENCE names, counted with the frame's ped list and waits.
TEST(TraceOfAReplay, EveryLineIsJsonAndTheDifferenceNamesTheFirstMadeUpEvent) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "pallbrook-trace-of-a-replay";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "latin1.ini", std::ios::binary)
        << "[Pallbrook]\r\nDragText=Tra\xEEneau\r\n";
    simtool::ReplayOptions options;
    options.settingsPath = (folder / "latin1.ini").string();
    options.outputs.tracePath = (folder / "trace.jsonl").string();
    testing::internal::CaptureStdout();
    EXPECT_EQ(simtool::replayCapture(PALLBROOK_RELEASED_DEMO_CAPTURE, options), 1);
    const std::string brief = testing::internal::GetCapturedStdout();
    std::smatch difference;
    ASSERT_TRUE(std::regex_search(brief, difference,
                                  std::regex("DIFFERENCE in frame (\\d+), event (\\d+) ")))
        << brief;

    std::ifstream trace(folder / "trace.jsonl");
    std::optional<nlohmann::json> firstMadeUp;
    bool pedListBefore = false;
    for (std::string line; std::getline(trace, line);) {
        const auto event = nlohmann::json::parse(line, nullptr, false);
        ASSERT_FALSE(event.is_discarded()) << line;
        if (!firstMadeUp && event.contains("made_up")) {
            firstMadeUp = event;
        }
        pedListBefore = pedListBefore || (!firstMadeUp && event.contains("ped_list"));
    }
    ASSERT_TRUE(firstMadeUp.has_value());
    EXPECT_EQ((*firstMadeUp)["frame"], std::stoi(difference[1]));
    EXPECT_EQ((*firstMadeUp)["event"], std::stoi(difference[2]));
    EXPECT_TRUE(pedListBefore);
}
