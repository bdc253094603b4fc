// Prompts: their hold timing on the game timer, their labels made of game
// strings that last one frame, and what the player sees of them.
#include "world_fixture.h"

namespace {

using natives::MakeGameString;
using natives::PromptBegin;
using natives::PromptDelete;
using natives::PromptFinish;
using natives::PromptHoldCompleted;
using natives::PromptSetControl;
using natives::PromptSetEnabled;
using natives::PromptSetGroup;
using natives::PromptSetHoldTime;
using natives::PromptSetLabel;
using natives::PromptSetVisible;
using natives::ShowPromptGroupOnEntity;

constexpr std::uint32_t Control = 0xF84FA74F;

GameString literal(const char* text) {
    return callNative<GameString>(MakeGameString, 10, "LITERAL_STRING", text);
}

// Begins a finished, enabled and visible prompt, as the plugin does.
std::int32_t makePrompt(const char* label, std::int32_t holdMs, bool enabled = true) {
    auto prompt = callNative<std::int32_t>(PromptBegin);
    callNative(PromptSetControl, prompt, Control);
    callNative(PromptSetLabel, prompt, literal(label));
    callNative(PromptSetHoldTime, prompt, holdMs);
    callNative(PromptFinish, prompt);
    callNative(PromptSetEnabled, prompt, enabled);
    callNative(PromptSetVisible, prompt, 1);
    return prompt;
}

class PromptTest : public WorldTest {
  protected:
    // The first frame (counted from 1) in which the hold completes, or 0.
    int frameOfCompletion(std::int32_t prompt, int lastFrame) {
        while (sim::world().frame < lastFrame) {
            bool done = false;
            frame([&] { done = callNative<bool>(PromptHoldCompleted, prompt); });
            if (done) {
                return static_cast<int>(sim::world().frame);
            }
        }
        return 0;
    }
};

TEST_F(PromptTest, AControlHeldBeforeThePromptCountsFromThePromptsCreation) {
    sim::holdControl(Control);
    std::int32_t prompt = 0;
    frame([&] { prompt = makePrompt("Drag", 500); }); // frame 1, time 33
    // 500 ms after time 33 is 533: frame 16 (528) is short, frame 17 (561) completes.
    EXPECT_EQ(frameOfCompletion(prompt, 40), 17);
}

TEST_F(PromptTest, AHoldStartedLaterCountsFromThePressAndAReleaseStartsAgain) {
    std::int32_t prompt = 0;
    frame([&] { prompt = makePrompt("Drag", 500); });
    EXPECT_EQ(frameOfCompletion(prompt, 5), 0);
    sim::holdControl(Control); // at time 165
    EXPECT_EQ(frameOfCompletion(prompt, 10), 0);
    sim::releaseControl(Control);
    frame();
    sim::holdControl(Control); // at time 363: 500 ms on is 863, frame 27 (891)
    EXPECT_EQ(frameOfCompletion(prompt, 60), 27);
}

TEST_F(PromptTest, ADisabledPromptNeverCompletes) {
    sim::holdControl(Control);
    std::int32_t prompt = 0;
    frame([&] { prompt = makePrompt("Drag", 0, false); });
    EXPECT_EQ(frameOfCompletion(prompt, 30), 0);
}

TEST_F(PromptTest, HandlesAreNeverZeroNorReusedAndDeletedOnesAreNotedWhenUsed) {
    std::int32_t first = 0;
    std::int32_t second = 0;
    frame([&] {
        first = makePrompt("Drag", 500);
        callNative(PromptDelete, first);
        second = makePrompt("Drop", 500);
    });
    EXPECT_NE(first, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(sim::promptCount(), 1);
    EXPECT_TRUE(sim::world().stalePromptUses.empty());
    frame([&] { callNative<bool>(PromptHoldCompleted, first); });
    ASSERT_EQ(sim::world().stalePromptUses.size(), 1u);
    EXPECT_EQ(sim::world().stalePromptUses[0].prompt, first);
}

TEST_F(PromptTest, ThePlayerSeesTheLabelControlHoldTimeAndTheEntityShown) {
    EntityHandle body = sim::addBody({1.0f, 0.0f, 0.0f});
    frame([&] {
        std::int32_t prompt = makePrompt("Drag", 750);
        callNative(ShowPromptGroupOnEntity, body, 2.0f, 2, 1, -1, literal(""), 2);
        (void)prompt;
    });
    auto seen = sim::onlyPrompt();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->label, "Drag");
    EXPECT_EQ(seen->control, Control);
    EXPECT_EQ(seen->holdTimeMs, 750);
    EXPECT_EQ(seen->group, -1);
    EXPECT_EQ(seen->entity, body);
}

TEST_F(PromptTest, APromptInAGroupStandsOnThePedOfThatGroup) {
    EntityHandle other = sim::addBody({5.0f, 0.0f, 0.0f});
    EntityHandle body = sim::addBody({1.0f, 0.0f, 0.0f});
    sim::ped(other).promptGroup = 6;
    sim::ped(body).promptGroup = 7;
    frame([&] { callNative(PromptSetGroup, makePrompt("Drag", 500), 7, 0); });
    ASSERT_TRUE(sim::onlyPrompt());
    EXPECT_EQ(sim::onlyPrompt()->entity, body);
}

TEST_F(PromptTest, GameStringsReadBackInTheirFrameAndExpireAtTheNext) {
    GameString made;
    frame([&] { made = literal("Drop"); });
    EXPECT_EQ(sim::gameString(made.value), "Drop");
    frame([&] { callNative(PromptSetLabel, callNative<std::int32_t>(PromptBegin), made); });
    EXPECT_FALSE(sim::gameString(made.value));
    auto errors = takeErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("not made in this frame"), std::string::npos) << errors[0];
    EXPECT_TRUE(sim::world().strings.empty());
}

TEST_F(PromptTest, AGameStringOfAnotherKindIsAFault) {
    frame([] { callNative<GameString>(MakeGameString, 9, "LITERAL_STRING", "x"); });
    EXPECT_EQ(takeErrors().size(), 1u);
}

} // namespace
