// Animation dictionaries that load late, clips whose phase runs on with game
// time and playback speed, and the drag clip walking the player.
#include "drag/drag_assets.h"
#include "world_fixture.h"

namespace {

using natives::AnimDictLoaded;
using natives::ClearTasks;
using natives::ClipPhase;
using natives::ClipSpeed;
using natives::IsPlayingClip;
using natives::PlayClipTask;
using natives::RequestAnimDict;
using natives::StopClip;

constexpr const char* DragDict = assets::DragClipDict;
using assets::DragClip;

class AnimTest : public WorldTest {
  protected:
    EntityHandle player = 0;

    void SetUp() override {
        WorldTest::SetUp();
        player = sim::world().player;
    }

    bool loaded(const char* dict) {
        bool answer = false;
        frame([&] { answer = callNative<bool>(AnimDictLoaded, dict); });
        return answer;
    }

    void play(const char* dict, const char* clip, std::int32_t durationMs, float phase = 0.0f) {
        frame([&] {
            callNative(RequestAnimDict, dict);
            callNative(PlayClipTask, player, dict, clip, 8.0f, 8.0f, durationMs, 0x40200001, phase,
                       0, 0, 0, assets::BothHandsFilter, 0);
        });
    }

    float phaseOf(const char* dict, const char* clip) {
        float phase = -1.0f;
        frame([&] { phase = callNative<float>(ClipPhase, player, dict, clip); });
        return phase;
    }
};

TEST_F(AnimTest, ADictionaryLoadsItsNumberOfFramesAfterTheFirstRequest) {
    sim::setDictLoadFrames("slow", 3);
    bool atRequest = true;
    frame([&] {
        callNative(RequestAnimDict, "slow");
        atRequest = callNative<bool>(AnimDictLoaded, "slow");
    });
    EXPECT_FALSE(atRequest);
    frame([] { callNative(RequestAnimDict, "slow"); }); // a later request does not start again
    EXPECT_FALSE(loaded("slow"));
    EXPECT_TRUE(loaded("slow"));
    EXPECT_FALSE(loaded("never asked"));
}

TEST_F(AnimTest, ADictionaryLoadsAtOnceByDefaultAndNeverWhenSetSo) {
    sim::setDictLoadFrames("broken", -1);
    bool quick = false;
    frame([&] {
        callNative(RequestAnimDict, "quick");
        callNative(RequestAnimDict, "broken");
        quick = callNative<bool>(AnimDictLoaded, "quick");
    });
    EXPECT_TRUE(quick);
    for (int i = 0; i < 50; ++i) {
        ASSERT_FALSE(loaded("broken"));
    }
}

TEST_F(AnimTest, AClipFromADictionaryNotLoadedIsAFaultAndDoesNotPlay) {
    sim::setDictLoadFrames(DragDict, 2);
    play(DragDict, DragClip, -1);
    EXPECT_FALSE(sim::playerPed().clip.active);
    EXPECT_EQ(takeErrors().size(), 1u);
}

TEST_F(AnimTest, PlayClipKeepsWhatWasPassedAndIsPlayingMatchesDictAndClip) {
    play(DragDict, DragClip, -1, 0.25f);
    const sim::ClipTask& clip = sim::playerPed().clip;
    EXPECT_EQ(clip.filter, assets::BothHandsFilter);
    EXPECT_EQ(clip.flags, 0x40200001);
    EXPECT_EQ(clip.durationMs, -1);
    EXPECT_FLOAT_EQ(clip.startPhase, 0.25f);
    bool same = false, otherClip = true, otherDict = true;
    frame([&] {
        same = callNative<bool>(IsPlayingClip, player, DragDict, DragClip, 3);
        otherClip = callNative<bool>(IsPlayingClip, player, DragDict, assets::PickupClip, 3);
        otherDict = callNative<bool>(IsPlayingClip, player, assets::PutdownDict, DragClip, 3);
    });
    EXPECT_TRUE(same);
    EXPECT_FALSE(otherClip);
    EXPECT_FALSE(otherDict);
}

TEST_F(AnimTest, PhaseRunsWithTimeTimesSpeedAndALoopWraps) {
    sim::world().clipLengthMs[{DragDict, DragClip}] = 330;
    play(DragDict, DragClip, -1, 0.5f);
    EXPECT_NEAR(phaseOf(DragDict, DragClip), 0.6f, 1e-5f); // 33 of 330 ms
    frame([&] { callNative(ClipSpeed, player, DragDict, DragClip, -2.0f); });
    EXPECT_NEAR(sim::playerPed().clip.phase, 0.7f, 1e-5f);
    EXPECT_NEAR(phaseOf(DragDict, DragClip), 0.5f, 1e-5f);
    for (int i = 0; i < 3; ++i) {
        frame();
    }
    EXPECT_NEAR(phaseOf(DragDict, DragClip), 0.7f, 1e-4f); // 0.5 - 0.8, wrapped
}

TEST_F(AnimTest, ATimedClipEndsOnceItsDurationHasPassed) {
    play(assets::PickupDict, assets::PickupClip, 99);
    frame();
    frame();
    EXPECT_TRUE(sim::playerPed().clip.active); // 66 ms
    frame();
    EXPECT_FALSE(sim::playerPed().clip.active); // 99 ms
}

TEST_F(AnimTest, StopAndClearTasksEndTheClip) {
    play(DragDict, DragClip, -1);
    frame([&] { callNative(StopClip, player, DragDict, assets::PickupClip, 3.0f); });
    EXPECT_TRUE(sim::playerPed().clip.active);
    frame([&] { callNative(StopClip, player, DragDict, DragClip, 3.0f); });
    EXPECT_FALSE(sim::playerPed().clip.active);
    play(DragDict, DragClip, -1);
    frame([&] { callNative(ClearTasks, player, 1, 0); });
    EXPECT_FALSE(sim::playerPed().clip.active);
}

TEST_F(AnimTest, TheDragClipWalksThePlayerForwardAtNegativeSpeedAndBackAtPositive) {
    sim::playerPed().heading = 90.0f; // facing -x
    play(DragDict, DragClip, -1);
    frame([&] { callNative(ClipSpeed, player, DragDict, DragClip, -1.0f); });
    sim::Vec3 start = sim::playerPed().position;
    for (int i = 0; i < 10; ++i) {
        frame();
    }
    sim::Vec3 forward = sim::playerPed().position;
    EXPECT_NEAR(forward.x - start.x, -1.2f * 0.33f, 1e-4f);
    EXPECT_NEAR(forward.y, start.y, 1e-4f);
    frame([&] { callNative(ClipSpeed, player, DragDict, DragClip, 1.0f); });
    frame([&] { callNative(ClipSpeed, player, DragDict, DragClip, 0.0f); });
    // One more step forward at -1, then one back at +1.
    EXPECT_NEAR(sim::playerPed().position.x, forward.x, 1e-4f);
    frame();
    frame();
    EXPECT_NEAR(sim::playerPed().position.x, forward.x, 1e-4f); // standing at speed 0
}

} // namespace
