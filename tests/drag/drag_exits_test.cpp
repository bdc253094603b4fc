// Every way a drag ends early: the player guard, the player going limp, the
// body vanishing, and nothing at all while putting down.
#include "drag_fixture.h"

#include <string>

namespace {

using natives::AllowLimp;
using natives::ClearTasks;
using natives::DetachEntity;

struct Guard {
    const char* name;
    void (*fire)(sim::Ped&);
};

const Guard Guards[] = {
    {"dead", [](sim::Ped& p) { p.dead = true; }},
    {"riding", [](sim::Ped& p) { p.ridingMount = true; }},
    {"falling", [](sim::Ped& p) { p.falling = true; }},
    {"condition test", [](sim::Ped& p) { p.conditionTest = true; }},
    {"swimming", [](sim::Ped& p) { p.swimming = true; }},
    {"in a vehicle", [](sim::Ped& p) { p.inVehicle = true; }},
    {"incapacitated", [](sim::Ped& p) { p.incapacitated = true; }},
    {"condition value 1", [](sim::Ped& p) { p.conditionValue = 1; }},
    {"second condition test", [](sim::Ped& p) { p.conditionTestB = true; }},
    {"config flag 11", [](sim::Ped& p) { p.configFlag11 = true; }},
};

class DragExitsTest : public DragFixture {
  protected:
    // A fresh world and plugin, with a drag picking up or under way.
    void startAfresh(bool whileDragging) {
        sim::resetHost();
        SetUp();
        if (whileDragging) {
            startDragging();
        } else {
            pickUp();
        }
    }

    void expectAtRest() {
        EXPECT_TRUE(inState(DragPhase::Idle));
        EXPECT_EQ(DragState.target, 0);
        EXPECT_EQ(DragState.gripBoneA, 45454);
        EXPECT_EQ(DragState.gripBoneB, 33646);
        EXPECT_EQ(sim::promptCount(), 0);
        EXPECT_TRUE(DeferredActions.main.empty() && DeferredActions.pending.empty());
    }
};

TEST_F(DragExitsTest, EachPlayerGuardAbortsPickingUpAndDraggingWithADetach) {
    for (const bool whileDragging : {false, true}) {
        for (const auto& guard : Guards) {
            SCOPED_TRACE(std::string(guard.name) + (whileDragging ? " dragging" : " picking up"));
            startAfresh(whileDragging);
            ASSERT_FALSE(inState(DragPhase::Idle));
            guard.fire(sim::playerPed());
            step();
            expectAtRest();
            EXPECT_EQ(callsInFrame(DetachEntity, frame()), 1u);
            EXPECT_EQ(callsInFrame(AllowLimp, frame()), 0u);
            if (HasFailure()) {
                return;
            }
        }
    }
}

TEST_F(DragExitsTest, AConditionValueOtherThanOneDoesNotAbort) {
    startDragging();
    sim::playerPed().conditionValue = 2;
    step(3);
    EXPECT_TRUE(inState(DragPhase::Dragging));
}

TEST_F(DragExitsTest, ThePlayerGoingLimpLetsTheBodyGo) {
    startDragging();
    sim::playerPed().limp = true;
    step();
    expectAtRest();
    EXPECT_EQ(callsInFrame(DetachEntity, frame()), 1u);
    EXPECT_EQ(callsInFrame(AllowLimp, frame()), 1u);
}

TEST_F(DragExitsTest, TheBodyVanishingEndsTheDragWithoutTouchingIt) {
    for (const bool whileDragging : {false, true}) {
        SCOPED_TRACE(whileDragging ? "dragging" : "picking up");
        startAfresh(whileDragging);
        sim::deletePed(body);
        step();
        expectAtRest();
        EXPECT_EQ(callsInFrame(DetachEntity, frame()), 0u);
        EXPECT_TRUE(sim::world().deletedHandleUses.empty());
    }
}

TEST_F(DragExitsTest, NothingEndsAPutDownBeforeItsTime) {
    startDragging();
    holdPromptControl();
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::PuttingDown); }));
    releasePromptControl();
    const std::int64_t puttingDown = frame();
    sim::playerPed().dead = true;
    sim::deletePed(body);
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Idle); }));
    // 800 ms at 33 ms a frame, counted from the frame after the next.
    EXPECT_EQ(frame(), puttingDown + 25);
    EXPECT_EQ(callsInFrame(ClearTasks, frame()), 1u);
    EXPECT_EQ(DragState.target, 0);
}

TEST_F(DragExitsTest, AnAbortedPickUpLeavesNoFollowUpToHurryTheNextOne) {
    pickUp();
    const std::int64_t firstPickUp = frame();
    sim::playerPed().falling = true;
    step();
    ASSERT_TRUE(inState(DragPhase::Idle));
    sim::playerPed().falling = false;
    step(5);
    pickUp();
    const std::int64_t secondPickUp = frame();
    // Past the frame the first pick-up's follow-up was due in, still picking up.
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Dragging); }));
    EXPECT_GT(frame(), firstPickUp + 31);
    EXPECT_EQ(frame(), secondPickUp + 31);
}

TEST_F(DragExitsTest, NoPromptWhileTheIdlePlayerRidesSitsInAVehicleOrCarries) {
    for (auto blocker : {&sim::Ped::ridingMount, &sim::Ped::inVehicle, &sim::Ped::carrying}) {
        step();
        ASSERT_EQ(sim::promptCount(), 1);
        sim::playerPed().*blocker = true;
        step();
        EXPECT_EQ(sim::promptCount(), 0);
        holdPromptControl();
        step(30);
        EXPECT_TRUE(inState(DragPhase::Idle));
        releasePromptControl();
        sim::playerPed().*blocker = false;
    }
}

TEST_F(DragExitsTest, ThePromptFollowsTheNearestBodyAndGoesWhenNoneQualifies) {
    step();
    EXPECT_EQ(sim::onlyPrompt()->entity, body);
    const auto nearer = sim::addBody({0.5f, 0.0f, 0.0f});
    step();
    ASSERT_EQ(sim::promptCount(), 1);
    EXPECT_EQ(sim::onlyPrompt()->entity, nearer);
    sim::deletePed(nearer);
    sim::ped(body).position = {10.0f, 0.0f, 0.0f};
    step();
    EXPECT_EQ(sim::promptCount(), 0);
    EXPECT_EQ(sim::world().promptsBegun, sim::world().promptsDeleted);
}

} // namespace
