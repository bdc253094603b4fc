// A settings file in the working folder changes what the plugin hands the game.
#include "drag_fixture.h"
#include "settings/scratch_folder.h"

namespace {

using natives::PromptSetControl;
using natives::PromptSetHoldTime;

class SettingsEffectTest : public DragFixture {};

TEST_F(SettingsEffectTest, TheFileSetsThePromptsControlLabelsHoldTimeAndDurations) {
    ScratchFolder folder;
    writeBytes(folder.path() / "Pallbrook.ini", "[Pallbrook]\r\n"
                                                "DragInput=INPUT_DUCK\r\n"
                                                "DragText=Haul\r\n"
                                                "DropText=Let go\r\n"
                                                "HoldTime=100\r\n"
                                                "PickupAnimDuration=330\r\n");
    step();
    ASSERT_EQ(sim::promptCount(), 1);
    const auto prompt = *sim::onlyPrompt();
    EXPECT_EQ(prompt.label, "Haul");
    EXPECT_EQ(prompt.control, 0xDB096B85u);
    EXPECT_EQ(prompt.holdTimeMs, 100);
    for (const auto& call : sim::host().calls) {
        if (call.hash == PromptSetControl) {
            EXPECT_EQ(call.args.word(1), 0xDB096B85u);
        }
        if (call.hash == PromptSetHoldTime) {
            EXPECT_EQ(call.args.word(1), 100u);
        }
    }

    // The old control does nothing; the configured one grabs.
    sim::holdControl(0x4BC9DABB);
    step(10);
    EXPECT_TRUE(inState(DragPhase::Idle));
    sim::releaseControl(0x4BC9DABB);
    pickUp();
    const std::int64_t pickedUp = frame();
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Dragging); }));
    // 330 ms is ten 33 ms frames, counted from the frame after the next.
    EXPECT_EQ(frame(), pickedUp + 10);
    step();
    EXPECT_EQ(sim::onlyPrompt()->label, "Let go");
    EXPECT_EQ(sim::onlyPrompt()->control, 0xDB096B85u);
}

} // namespace
