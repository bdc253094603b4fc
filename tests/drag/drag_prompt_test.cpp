#include "deferred/deferred_actions.h"
#include "drag/drag_prompt.h"
#include "plugin/natives.h"
#include "support/on_fibre.h"
#include "support/plugin_in_world.h"

namespace {

using natives::AllowLimp;
using natives::BodyPartFlagged;
using natives::DetachEntity;
using natives::PromptBegin;
using natives::PromptDelete;

class DragPromptTest : public PluginInWorldTest {};

TEST_F(DragPromptTest, PromptCarriesTheConfiguredControlLabelAndHoldTime) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    Settings.DragInput = 0xDB096B85;
    Settings.HoldTime = 750;
    runOnFibre([&] { showPrompt(body, "Haul"); });
    const auto prompt = sim::onlyPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->label, "Haul");
    EXPECT_EQ(prompt->control, 0xDB096B85u);
    EXPECT_EQ(prompt->holdTimeMs, 750);
    EXPECT_TRUE(prompt->finished && prompt->enabled && prompt->visible);
    EXPECT_EQ(prompt->group, -1); // the body has no prompt group
    EXPECT_TRUE(DragState.promptActive);
    EXPECT_EQ(DragState.prompt, prompt->handle);
    EXPECT_EQ(DragState.promptEntity, body);
}

TEST_F(DragPromptTest, SameEntityAgainMakesNoCallAndKeepsTheLabel) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    runOnFibre([&] { showPrompt(body, "Drag"); });
    const auto callsBefore = sim::host().calls.size();
    runOnFibre([&] { showPrompt(body, "Drop"); });
    EXPECT_EQ(sim::host().calls.size(), callsBefore);
    EXPECT_EQ(sim::onlyPrompt()->label, "Drag");
}

TEST_F(DragPromptTest, AnotherEntityReplacesThePromptDeletingTheOldOneFirst) {
    const auto first = sim::addBody({1.0f, 0.0f, 0.0f});
    const auto second = sim::addBody({-1.0f, 0.0f, 0.0f});
    sim::ped(second).promptGroup = 77;
    runOnFibre([&] { showPrompt(first, "Drag"); });
    const auto firstPrompt = DragState.prompt;
    sim::host().calls.clear();
    runOnFibre([&] { showPrompt(second, "Drag"); });
    ASSERT_GE(sim::host().calls.size(), 2u);
    EXPECT_EQ(sim::host().calls[0].hash, PromptDelete);
    EXPECT_EQ(sim::host().calls[0].args.i32(0), firstPrompt);
    EXPECT_EQ(sim::host().calls[1].hash, PromptBegin);
    EXPECT_EQ(sim::promptCount(), 1);
    EXPECT_EQ(sim::onlyPrompt()->entity, second);
    EXPECT_EQ(sim::onlyPrompt()->group, 77);
}

TEST_F(DragPromptTest, RemovePromptTakesItDownOnceAndThenDoesNothing) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    runOnFibre([&] {
        showPrompt(body, "Drag");
        removePrompt();
        removePrompt();
    });
    EXPECT_EQ(sim::promptCount(), 0);
    EXPECT_EQ(callsTo(PromptDelete), 1u);
    EXPECT_FALSE(DragState.promptActive);
    EXPECT_EQ(DragState.prompt, 0);
    EXPECT_EQ(DragState.promptEntity, 0);
}

TEST_F(DragPromptTest, GripBonesFollowTheBodyPartTests) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    GripBonePair feet{}, hands{}, mixedA{}, mixedB{}, other{};
    runOnFibre([&] { feet = gripBones(body, 0); });
    EXPECT_EQ(feet.a, 45454);
    EXPECT_EQ(feet.b, 33646);
    EXPECT_EQ(callsTo(BodyPartFlagged), 4u);

    // Leg chain 1: only the first part flagged; leg chain 2: the second flagged,
    // with or without the first.
    sim::ped(body).flaggedParts.set(9);
    sim::ped(body).flaggedParts.set(13);
    runOnFibre([&] { feet = gripBones(body, 0); });
    EXPECT_EQ(feet.a, 55120);
    EXPECT_EQ(feet.b, 6884);
    sim::ped(body).flaggedParts.set(12);
    runOnFibre([&] { feet = gripBones(body, 0); });
    EXPECT_EQ(feet.b, 6884);

    sim::ped(body).flaggedParts.reset();
    sim::ped(body).flaggedParts.set(4);
    sim::ped(body).flaggedParts.set(6);
    runOnFibre([&] {
        hands = gripBones(body, 1);
        mixedA = gripBones(body, 2);
        mixedB = gripBones(body, 3);
        other = gripBones(body, 7);
    });
    EXPECT_EQ(hands.a, 37873);
    EXPECT_EQ(hands.b, 54187);
    EXPECT_EQ(mixedA.a, 37873);
    EXPECT_EQ(mixedA.b, 45454);
    EXPECT_EQ(mixedB.a, 54187);
    EXPECT_EQ(mixedB.b, 33646);
    EXPECT_EQ(other.a, mixedA.a);
    EXPECT_EQ(other.b, mixedA.b);
}

void scheduleNothing() {}

TEST_F(DragPromptTest, ReleaseWithLetGoDetachesAndAllowsLimpThenResetsAllButHeading) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    DragState = {DragPhase::Dragging, body, 42.5f, 3, 22798, 33646, 0, 0, false, true, true};
    runOnFibre([&] {
        showPrompt(body, "Drop");
        scheduleAction(100, scheduleNothing);
        releaseDrag(true);
    });
    EXPECT_EQ(callsTo(DetachEntity), 1u);
    ASSERT_EQ(callsTo(AllowLimp), 1u);
    for (const auto& call : sim::host().calls) {
        if (call.hash == AllowLimp) {
            EXPECT_EQ(call.args.count, 2u);
            EXPECT_EQ(call.args.word(0), static_cast<std::uint32_t>(body));
            EXPECT_EQ(call.args.word(1), 1u);
        }
    }
    EXPECT_EQ(sim::promptCount(), 0);
    EXPECT_TRUE(DeferredActions.main.empty() && DeferredActions.pending.empty());
    EXPECT_EQ(DragState.state, DragPhase::Idle);
    EXPECT_EQ(DragState.target, 0);
    EXPECT_EQ(DragState.grabPoint, 0);
    EXPECT_EQ(DragState.gripBoneA, 45454);
    EXPECT_EQ(DragState.gripBoneB, 33646);
    EXPECT_FALSE(DragState.oneHanded);
    EXPECT_FALSE(DragState.dragEntered);
    EXPECT_FALSE(DragState.promptActive);
    EXPECT_EQ(DragState.heading, 42.5f);
}

TEST_F(DragPromptTest, ReleaseWithoutLetGoOrWithoutABodyTouchesNoBody) {
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    DragState.state = DragPhase::Dragging;
    DragState.target = body;
    runOnFibre([] { releaseDrag(false); });
    EXPECT_EQ(callsTo(DetachEntity), 0u);

    DragState.state = DragPhase::PickingUp;
    DragState.target = body;
    sim::deletePed(body);
    runOnFibre([] { releaseDrag(true); });
    EXPECT_EQ(callsTo(DetachEntity), 0u);
    EXPECT_EQ(callsTo(AllowLimp), 0u);
    EXPECT_EQ(DragState.state, DragPhase::Idle);
    EXPECT_TRUE(sim::world().deletedHandleUses.empty());
}

} // namespace
