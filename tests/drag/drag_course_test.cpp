// The course of whole drags through the plugin's real frame loop, frame by
// frame, with the state changes at the frames the game timer gives them.
#include "drag/drag_assets.h"
#include "drag_fixture.h"
#include "sim/world/skeleton.h"

#include <cmath>

namespace {

using assets::PickupDict;
using natives::ClearTasks;
using natives::GameTimer;
using natives::PlayClipTask;

// With 33 ms frames the timer reads 33 n in frame n: an action scheduled in
// frame n with a delay runs in the first frame m >= n + 2 whose timer has
// reached 33 n + delay.
std::int64_t dueFrame(std::int64_t scheduledIn, std::int32_t delay) {
    std::int64_t m = scheduledIn + 2;
    while (33 * m < 33 * scheduledIn + delay) {
        ++m;
    }
    return m;
}

class DragCourseTest : public DragFixture {};

TEST_F(DragCourseTest, OneDragFromPromptToRestAtTheFramesTheTimerGives) {
    step();
    auto prompt = sim::onlyPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->entity, body);
    EXPECT_EQ(prompt->label, "Drag");
    EXPECT_EQ(prompt->control, 0x4BC9DABBu);

    pickUp();
    const std::int64_t pickedUp = frame();
    EXPECT_EQ(pickedUp, firstHoldCompletedFrame());
    EXPECT_EQ(sim::promptCount(), 0);
    EXPECT_EQ(DragState.target, body);
    EXPECT_EQ(sim::playerPed().clip.clip, assets::PickupClip);
    EXPECT_EQ(sim::playerPed().clip.blendIn, 4.0f);
    EXPECT_EQ(sim::playerPed().clip.blendOut, 8.0f);
    EXPECT_EQ(sim::playerPed().clip.flags, 1024);
    EXPECT_TRUE(sim::isLimp(sim::ped(body)));

    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Dragging); }));
    const std::int64_t dragging = frame();
    EXPECT_EQ(dragging, dueFrame(pickedUp, 1000));
    // The first dragging frame only freezes the body: no drop prompt yet.
    EXPECT_TRUE(sim::ped(body).frozen);
    EXPECT_EQ(sim::promptCount(), 0);

    step();
    prompt = sim::onlyPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->entity, body);
    EXPECT_EQ(prompt->label, "Drop");
    EXPECT_FALSE(sim::ped(body).frozen);
    EXPECT_EQ(sim::ped(body).pins.size(), 2u);
    // The second grip bone hangs from one hand more loosely than the first.
    for (const sim::Pin& pin : sim::ped(body).pins) {
        if (pin.boneIndex == sim::boneIndexOf(DragState.gripBoneB)) {
            EXPECT_EQ(pin.strength, 1.0e11f);
        } else {
            EXPECT_EQ(pin.boneIndex, sim::boneIndexOf(DragState.gripBoneA));
            EXPECT_EQ(pin.strength, 1.0e13f);
        }
    }
    EXPECT_EQ(sim::playerPed().clip.clip, assets::DragClip);
    EXPECT_EQ(sim::playerPed().clip.flags, 0x40200001);
    EXPECT_EQ(sim::playerPed().clip.filter, assets::BothHandsFilter);

    step(5);
    holdPromptControl();
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::PuttingDown); }));
    const std::int64_t puttingDown = frame();
    releasePromptControl();
    EXPECT_EQ(puttingDown, firstHoldCompletedFrame(dragging + 1));
    EXPECT_EQ(sim::promptCount(), 0);
    EXPECT_TRUE(sim::ped(body).pins.empty());
    EXPECT_EQ(sim::playerPed().clip.clip, assets::PutdownClip);
    EXPECT_EQ(sim::playerPed().clip.blendIn, 8.0f);
    EXPECT_EQ(sim::playerPed().clip.blendOut, 1.0f);

    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Idle); }));
    const std::int64_t rest = frame();
    EXPECT_EQ(rest, dueFrame(puttingDown, 800));
    EXPECT_EQ(callsInFrame(ClearTasks, rest), 1u);
    EXPECT_EQ(DragState.target, 0);
    EXPECT_TRUE(DeferredActions.main.empty() && DeferredActions.pending.empty());
    // Back in Idle in the same frame, the body still qualifies: the drag prompt returns.
    prompt = sim::onlyPrompt();
    ASSERT_TRUE(prompt);
    EXPECT_EQ(prompt->label, "Drag");

    using Change = std::pair<std::int64_t, DragPhase>;
    const std::vector<Change> expected = {{pickedUp, DragPhase::PickingUp},
                                          {dragging, DragPhase::Dragging},
                                          {puttingDown, DragPhase::PuttingDown},
                                          {rest, DragPhase::Idle}};
    EXPECT_EQ(stateChanges(), expected);
    EXPECT_TRUE(sim::world().deletedHandleUses.empty());
}

TEST_F(DragCourseTest, ThePlayerKeepsFacingTheBodyWhilePickingUp) {
    pickUp();
    const float heading = DragState.heading;
    sim::playerPed().heading = heading + 90.0f; // the game turns the player away
    step();
    EXPECT_EQ(sim::playerPed().heading, heading);
    EXPECT_TRUE(inState(DragPhase::PickingUp));
}

TEST_F(DragCourseTest, ZeroPickupDurationStillSpendsAFrameInPickingUp) {
    Settings.PickupAnimDuration = 0;
    pickUp();
    const std::int64_t pickedUp = frame();
    step();
    EXPECT_TRUE(inState(DragPhase::PickingUp));
    step();
    EXPECT_TRUE(inState(DragPhase::Dragging));
    EXPECT_EQ(frame(), pickedUp + 2);
}

TEST_F(DragCourseTest, ADictionaryThatLoadsLateHoldsTheFrameUntilItHasLoaded) {
    sim::setDictLoadFrames(PickupDict, 10);
    pickUp();
    const std::int64_t pickedUp = frame();
    // The state is set before the wait; the clip starts once the dictionary is there.
    EXPECT_TRUE(inState(DragPhase::PickingUp));
    EXPECT_EQ(callsInFrame(PlayClipTask, pickedUp), 0u);
    step(9);
    EXPECT_EQ(callsTo(PlayClipTask), 0u);
    // No deferred pass ran while the script waited.
    for (std::int64_t f = pickedUp + 1; f <= frame(); ++f) {
        EXPECT_EQ(callsInFrame(GameTimer, f), 0u) << f;
    }
    step();
    EXPECT_EQ(callsInFrame(PlayClipTask, frame()), 1u);
    const std::int64_t clipStarted = frame();
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Dragging); }));
    EXPECT_EQ(frame(), dueFrame(clipStarted, 1000));
}

TEST_F(DragCourseTest, TheBodyTrailsThePlayerWhoWalksWithTheDragClip) {
    startDragging();
    sim::holdControl(controlHash("INPUT_MOVE_DOWN_ONLY"));
    const auto start = sim::playerPed().position;
    step(60);
    const auto& end = sim::playerPed().position;
    const float walked = std::hypot(end.x - start.x, end.y - start.y);
    EXPECT_GT(walked, 1.0f);
    const auto& b = sim::ped(body).position;
    EXPECT_LT(std::hypot(b.x - end.x, b.y - end.y), 2.0f);
}

} // namespace
