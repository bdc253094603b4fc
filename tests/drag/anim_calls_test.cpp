#include "drag/anim_calls.h"
#include "drag/drag_assets.h"
#include "plugin/natives.h"
#include "support/on_fibre.h"
#include "support/plugin_in_world.h"

#include <vector>

namespace {

class AnimCallsTest : public PluginInWorldTest {
  protected:
    const sim::NativeCall& lastCall() const { return sim::host().calls.back(); }
    std::vector<std::uint64_t> lastWords() const {
        auto all = lastCall().args.all();
        return {all.begin(), all.end()};
    }
};

TEST_F(AnimCallsTest, PinPushesSixteenWordsEndingInSevenOnes) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    runOnFibre([&] { pinBoneToPoint(body, 3, 1.0f, 2.0f, 3.0f, 1.0e11f); });
    const std::vector<std::uint64_t> expected = {static_cast<std::uint32_t>(body),
                                                 3,
                                                 0x3F800000,
                                                 0x40000000,
                                                 0x40400000,
                                                 0,
                                                 0,
                                                 0,
                                                 0x51BA43B7,
                                                 1,
                                                 1,
                                                 1,
                                                 1,
                                                 1,
                                                 1,
                                                 1};
    EXPECT_EQ(lastCall().hash, natives::PinBoneToPoint);
    EXPECT_EQ(lastWords(), expected);
}

TEST_F(AnimCallsTest, SetPositionPushesEightWordsEndingInFourZeros) {
    const auto player = sim::world().player;
    runOnFibre([&] { setEntityPosition(player, -1.0f, 0.5f, 0.0f); });
    const std::vector<std::uint64_t> expected = {
        static_cast<std::uint32_t>(player), 0xBF800000, 0x3F000000, 0, 0, 0, 0, 0};
    EXPECT_EQ(lastWords(), expected);
}

TEST_F(AnimCallsTest, NegativeOneGoesZeroExtendedInDurationAndGroup) {
    const auto player = sim::world().player;
    runOnFibre([&] {
        loadAnimDict(assets::DragClipDict);
        playClipTask(player, assets::DragClipDict, assets::DragClip, 8.0f, 8.0f, -1, 0x40200001,
                     0.25f, assets::BothHandsFilter);
    });
    auto words = lastWords();
    ASSERT_EQ(words.size(), 13u);
    EXPECT_EQ(words[5], 0x00000000FFFFFFFFull);
    EXPECT_EQ(words[6], 0x40200001ull);
    EXPECT_EQ(words[7], 0x3E800000ull);
    EXPECT_EQ(words[8], 0u);
    EXPECT_EQ(words[12], 0u);
    // The texts went as pointers that the world could read.
    EXPECT_EQ(sim::playerPed().clip.dict, assets::DragClipDict);
    EXPECT_EQ(sim::playerPed().clip.filter, assets::BothHandsFilter);

    runOnFibre([&] { showPromptGroupOnEntity(player, -1, GameString{0x1122334455667788}); });
    const std::vector<std::uint64_t> expected = {
        static_cast<std::uint32_t>(player), 0x40000000, 2, 1, 0xFFFFFFFF, 0x1122334455667788, 2};
    EXPECT_EQ(lastWords(), expected);
    // The game string is not one the world made this frame; that fault is expected here.
    sim::host().errors.clear();
}

TEST_F(AnimCallsTest, DistanceSquaredIsTheSquareOfTheDistance) {
    float same = -1.0f;
    float twoApart = -1.0f;
    runOnFibre([&] {
        same = distanceSquared(1.0f, 2.0f, 3.0f, 1.0f, 2.0f, 3.0f);
        twoApart = distanceSquared(0.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f);
    });
    EXPECT_EQ(same, 0.0f);
    EXPECT_EQ(twoApart, 4.0f);
    // The first point's three coordinates, then the second's.
    const std::vector<std::uint64_t> expected = {0, 0, 0, 0, 0x40000000, 0};
    EXPECT_EQ(lastWords(), expected);
    runOnFibre([] { distanceSquared(1.0f, 2.0f, 3.0f, -1.0f, -2.0f, -3.0f); });
    const std::vector<std::uint64_t> ordered = {0x3F800000, 0x40000000, 0x40400000,
                                                0xBF800000, 0xC0000000, 0xC0400000};
    EXPECT_EQ(lastWords(), ordered);
}

TEST_F(AnimCallsTest, DictionaryWaitYieldsFrameByFrameUntilLoaded) {
    sim::setDictLoadFrames("slow_dict", 3);
    // The plugin's script is not needed here; run loadAnimDict as the script.
    sim::unloadPlugin();
    static int finishedAtFrame = 0;
    finishedAtFrame = 0;
    sim::host().script = [] {
        loadAnimDict("slow_dict");
        finishedAtFrame = static_cast<int>(sim::host().frame);
        for (;;) {
            scriptWait(0);
        }
    };
    sim::runFrames(6);
    EXPECT_EQ(finishedAtFrame, 4);
    EXPECT_EQ(callsTo(natives::RequestAnimDict), 1u); // requested once
    EXPECT_EQ(callsTo(natives::AnimDictLoaded), 4u);  // asked each frame until loaded
}

} // namespace
