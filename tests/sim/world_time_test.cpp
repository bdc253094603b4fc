// The game timer, the world's installation into the host, and its strictness
// about the natives it does not know or is called with the wrong words.
#include "world_fixture.h"

#include <climits>

namespace {

using natives::EntityExists;
using natives::GameTimer;
using natives::PlayerPed;

using TimeTest = WorldTest;

TEST_F(TimeTest, TimerAdvancesByTheFrameTimeAndTheTickCountWithIt) {
    sim::world().frameTimeMs = 20;
    std::int32_t first = 0;
    std::int32_t second = 0;
    frame([&] { first = callNative<std::int32_t>(GameTimer); });
    std::uint32_t ticks = sim::host().tickCount;
    frame([&] { second = callNative<std::int32_t>(GameTimer); });
    EXPECT_EQ(second - first, 20);
    EXPECT_EQ(sim::host().tickCount - ticks, 20u);
}

TEST_F(TimeTest, TimerWrapsPastTheLargestSignedValueToNegative) {
    sim::world().gameTimeMs = INT32_MAX - 40;
    std::int32_t before = 0;
    std::int32_t after = 0;
    frame([&] { before = callNative<std::int32_t>(GameTimer); });
    frame([&] { after = callNative<std::int32_t>(GameTimer); });
    EXPECT_EQ(before, INT32_MAX - 7);
    EXPECT_LT(after, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(after) - static_cast<std::uint32_t>(before), 33u);
}

TEST_F(TimeTest, InstallingAgainInTheSameHostResetsTheWorldWithoutSteppingTwice) {
    sim::addBody({1.0f, 0.0f, 0.0f});
    frame();
    sim::installWorld();
    EXPECT_EQ(sim::world().peds.size(), 1u);
    std::int32_t first = 0;
    std::int32_t second = 0;
    frame([&] { first = callNative<std::int32_t>(GameTimer); });
    frame([&] { second = callNative<std::int32_t>(GameTimer); });
    EXPECT_EQ(second - first, 33);
}

TEST_F(TimeTest, AFreshHostGetsACleanWorldThatStillSteps) {
    sim::addBody({1.0f, 0.0f, 0.0f});
    frame();
    frame();
    sim::resetHost();
    sim::installWorld();
    scriptRegister(reinterpret_cast<HINSTANCE__*>(this), [] {
        for (;;) {
            scriptWait(0);
        }
    });
    sim::runFrame();
    EXPECT_EQ(sim::world().frame, 1);
    EXPECT_EQ(sim::world().gameTimeMs, 33u);
    EXPECT_EQ(sim::world().peds.size(), 1u);
    EXPECT_TRUE(sim::playerPed().isPlayer);
}

TEST_F(TimeTest, WrongWordCountsAndUnknownNativesAreFaults) {
    frame([] {
        callNative<bool>(EntityExists, 1001, 0);
        callNative<std::int32_t>(PlayerPed, 1);
        callNative(0x1234567812345678ull, 5);
    });
    auto errors = takeErrors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find("takes 1 words, got 2"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("player's ped"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("unknown native 0x1234567812345678"), std::string::npos) << errors[2];
}

} // namespace
