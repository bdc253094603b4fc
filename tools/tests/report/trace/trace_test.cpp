// The trace prints texts and the values natives wrote, never a pointer.
#include "printing/format.h"
#include "report/trace/trace.h"

#include "plugin/natives.h"
#include "sim/world/world.h"

#include <gtest/gtest.h>

#include <cstring>
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
