// What one frame costs the game, counted: the native calls of a frame in every
// state of the drag, call by call in the order the drag feature lays them
// down, and the heap allocations of the plugin in a frame once a drag is under
// way (none). The expected calls are written out from the rules of the frame
// (the script loop, the drag state machine, the body search, the prompt and
// the dragging frame), never taken from a run.
#include "support/counting_allocator.h"
#include "support/plugin_in_world.h"

#include "plugin/natives.h"
#include "settings/control_hash.h"
#include "sim/world/native_table.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace natives;

using Calls = std::vector<std::uint64_t>;

// A native as a failure message names it: by its role.
std::string roleOf(std::uint64_t hash) {
    const sim::WorldNative* native = sim::findWorldNative(hash);
    return native != nullptr ? native->role : sim::hex(hash);
}

testing::AssertionResult sameCalls(const Calls& actual, const Calls& expected) {
    if (actual == expected) {
        return testing::AssertionSuccess();
    }
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) {
        ++i;
    }
    auto at = [i](const Calls& calls) {
        return i < calls.size() ? roleOf(calls[i]) : std::string("(end)");
    };
    return testing::AssertionFailure()
           << actual.size() << " calls where " << expected.size() << " were expected; call " << i
           << " is " << at(actual) << " where " << at(expected) << " was expected";
}

Calls join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Calls times(int count, const Calls& part) {
    Calls all;
    for (int i = 0; i < count; ++i) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The script loop runs the due actions first: one timer read, always.
const Calls DueActions = {GameTimer};

// Idle step: three tests of the player before the search.
const Calls IdlePlayerTests = {IsRidingMount, IsInAnyVehicle, IsCarrying};
// The search asks for the player, the player's position, the ped list (not a
// native) and the player's mount, once per search.
const Calls SearchHead = {PlayerPed, EntityPosition, MountOf};
// A listed ped that passes every filter, without the mount test; the four
// state tests are asked whatever they answer.
const Calls Candidate = {EntityExists, IsPlayer,        IsRidingMount, IsInAnyVehicle, IsAttached,
                         IsDead,       IsIncapacitated, IsLimp,        PedConfigFlag};
// A ped that passes the state tests is then measured.
const Calls Measured = {EntityPosition, DistanceSquared};
// A listed handle that names nothing fails the first filter that asks.
const Calls Stale = {EntityExists};

// The prompt on a body in a frame after the one that made it: label, group,
// the group shown, the hold asked.
Calls promptFrame(bool joinGroup) {
    Calls calls = {MakeGameString, PromptSetLabel, PromptGroupOf};
    if (joinGroup) {
        calls.push_back(PromptSetGroup);
    }
    return join({calls, {MakeGameString, ShowPromptGroupOnEntity, PromptHoldCompleted}});
}

// Making the prompt, for an entity without a prompt group.
const Calls NewPrompt = {PromptBegin,      PromptSetControl,  MakeGameString,
                         PromptSetLabel,   PromptSetHoldTime, PromptFinish,
                         PromptSetEnabled, PromptSetVisible,  PromptGroupOf};

// While a body is held: the player guard, then the player's limp test and
// whether the body still exists.
const Calls PlayerGuard = {IsDead,
                           IsRidingMount,
                           IsFalling,
                           PlayerConditionTest,
                           IsSwimming,
                           IsInAnyVehicle,
                           IsIncapacitated,
                           PlayerConditionValue,
                           PlayerConditionTestB,
                           PedConfigFlag};
const Calls HeldFrameHead = join({DueActions, {PlayerPed}, PlayerGuard, {IsLimp, EntityExists}});

// A held control answers on the plain test; one that is not held is asked
// both ways.
Calls control(bool held) {
    return held ? Calls{ControlPressed} : Calls{ControlPressed, ControlPressedWhileDisabled};
}

// The dragging frame after the first, both hands, the body limp and the drag
// clip playing, up to the choice of steering; the player unarmed (the first
// weapon class test answers no, so the second is asked) and not aiming.
const Calls DraggingHead = join(
    {{NoCollisionBetween, NoCollisionBetween, FreezeEntity, IsLimp},
     {CurrentWeapon, CurrentWeapon, TextKeyHash, WeaponClassTestA, WeaponClassTestB},
     control(false),
     {PedBonePosition, PedBonePosition, PedBoneIndex, PedBoneIndex, PinBoneToPoint, PinBoneToPoint},
     {IsPlayingClip, InputIsKeyboard}});

// Keyboard steering: left, right, up, down and sprint asked in turn.
Calls keyboardSteering(bool left, bool right, bool up, bool down, bool sprint) {
    return join({control(left),
                 control(right),
                 control(up),
                 control(down),
                 control(sprint),
                 {SetEntityHeading, ClipSpeed}});
}
const Calls StickSteering = {ControlValue, ControlValue, ControlPressedWhileDisabled,
                             SetEntityHeading, ClipSpeed};

class FrameCountsTest : public PluginInWorldTest {
  protected:
    std::map<std::int64_t, int> pedListsAsked; // by frame

    void SetUp() override {
        PluginInWorldTest::SetUp();
        auto list = sim::host().listPeds;
        sim::host().listPeds = [this, list](int* array, int size) {
            ++pedListsAsked[sim::host().frame];
            return list(array, size);
        };
    }

    // Runs one frame and gives the natives it called, in order.
    Calls frame() {
        const std::size_t before = sim::host().calls.size();
        sim::runFrame();
        Calls calls;
        for (std::size_t i = before; i < sim::host().calls.size(); ++i) {
            calls.push_back(sim::host().calls[i].hash);
        }
        return calls;
    }

    int pedListsInLastFrame() { return pedListsAsked[sim::host().frame]; }

    static Calls idleFrame(const Calls& search) {
        return join({DueActions, {PlayerPed}, IdlePlayerTests, search});
    }

    void holdPrompt() { sim::holdControl(Settings.DragInput); }
    void releasePrompt() { sim::releaseControl(Settings.DragInput); }

    // Frames until the state is reached; false when it is not within the limit.
    bool runUntil(DragPhase phase, int limit = 200) {
        for (int i = 0; i < limit && DragState.state != phase; ++i) {
            sim::runFrame();
        }
        return DragState.state == phase;
    }
};

TEST_F(FrameCountsTest, IdleFramesMakeTheSearchCallsOncePlusTheirShareForEachListedPed) {
    // The world lists the player's own ped, which the search skips without a call.
    EXPECT_TRUE(sameCalls(frame(), idleFrame(SearchHead)));
    EXPECT_EQ(frame().size(), 8u);
    EXPECT_EQ(pedListsInLastFrame(), 1);

    sim::world().listed.clear();
    EXPECT_TRUE(sameCalls(frame(), idleFrame(SearchHead)));

    for (int i = 0; i < 3; ++i) {
        sim::addPed({1.0f, static_cast<float>(i), 0.0f});
    }
    EXPECT_TRUE(sameCalls(frame(), join({idleFrame(SearchHead), times(3, Candidate)})));
    EXPECT_EQ(pedListsInLastFrame(), 1);

    // A deleted ped left in the list: one question.
    sim::deletePed(sim::world().listed[1], true);
    EXPECT_TRUE(sameCalls(frame(), join({idleFrame(SearchHead), Candidate, Stale, Candidate})));
}

TEST_F(FrameCountsTest, AMountAddsOneTestPerCandidateAndAnAttachedPedOneMore) {
    sim::World& w = sim::world();
    const std::int32_t horse = sim::addPed({3.0f, 0.0f, 0.0f});
    w.listed.clear(); // the horse is not in the list; the player is not riding it
    sim::playerPed().mount = horse;
    sim::addPed({1.0f, 0.0f, 0.0f});                              // standing
    const std::int32_t carried = sim::addPed({1.0f, 1.0f, 0.0f}); // hangs on the player
    sim::ped(carried).attachedTo = sim::world().player;

    const Calls mounted = {EntityExists,   IsPlayer,     IsRidingMount,
                           IsInAnyVehicle, IsAttachedTo, IsAttached};
    const Calls states = {IsDead, IsIncapacitated, IsLimp, PedConfigFlag};
    EXPECT_TRUE(sameCalls(
        frame(), join({idleFrame(SearchHead), mounted, states, mounted, {AttachedTo}, states})));
}

TEST_F(FrameCountsTest, IdleFramesWithBodiesMeasureEachAndKeepThePromptWithoutRemakingIt) {
    sim::world().listed.clear();
    for (int i = 0; i < 4; ++i) {
        sim::addBody({0.5f + 0.2f * static_cast<float>(i), 0.0f, 0.0f});
    }
    const Calls search = join({SearchHead, times(4, join({Candidate, Measured}))});
    // The first frame makes the prompt on the nearest body.
    EXPECT_TRUE(sameCalls(frame(), join({idleFrame(search), NewPrompt, promptFrame(false)})));
    // Later frames only label it, show its group and ask for the hold.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(sameCalls(frame(), join({idleFrame(search), promptFrame(false)})));
    }
    EXPECT_EQ(frame().size(), 1u + 1u + 3u + 3u + 4u * 11u + 6u);

    // A body with a prompt group: its prompt is put in the group every frame.
    sim::ped(sim::world().listed[0]).promptGroup = 77;
    EXPECT_TRUE(sameCalls(frame(), join({idleFrame(search), promptFrame(true)})));
}

TEST_F(FrameCountsTest, AnIdlePlayerWhoCannotTakeABodyStopsAtTheFirstTestThatSaysSo) {
    sim::addBody({0.0f, 1.0f, 0.0f});
    sim::Ped& player = sim::playerPed();
    player.ridingMount = true;
    EXPECT_TRUE(sameCalls(frame(), join({DueActions, {PlayerPed, IsRidingMount}})));
    EXPECT_EQ(pedListsInLastFrame(), 0);
    player.ridingMount = false;
    player.inVehicle = true;
    EXPECT_TRUE(sameCalls(frame(), join({DueActions, {PlayerPed, IsRidingMount, IsInAnyVehicle}})));
    player.inVehicle = false;
    player.carrying = true;
    EXPECT_TRUE(sameCalls(frame(), join({DueActions, {PlayerPed}, IdlePlayerTests})));
    EXPECT_EQ(pedListsInLastFrame(), 0);
}

TEST_F(FrameCountsTest, EveryFrameOfADragMakesTheCallsOfItsState) {
    sim::world().listed.clear();
    sim::addBody({0.0f, 1.0f, 0.0f});
    const Calls bodySearch = join({SearchHead, Candidate, Measured});
    frame();
    holdPrompt();
    ASSERT_TRUE(runUntil(DragPhase::PickingUp));
    releasePrompt();

    const Calls pickingUp = join({HeldFrameHead, {SetEntityHeading}});
    // The frame that moves the follow-up into the queue, then the plain ones.
    EXPECT_TRUE(sameCalls(frame(), pickingUp));
    EXPECT_TRUE(sameCalls(frame(), pickingUp));
    EXPECT_EQ(frame().size(), 15u);

    ASSERT_TRUE(runUntil(DragPhase::Dragging));
    // The first dragging frame only switches collision off and freezes the body.
    // (runUntil ran it.) The second starts the drag clip; from the third on:
    frame();
    const Calls noKeys =
        join({HeldFrameHead, DraggingHead, keyboardSteering(false, false, false, false, false),
              promptFrame(false)});
    EXPECT_TRUE(sameCalls(frame(), noKeys));
    EXPECT_EQ(noKeys.size(), 51u);

    sim::holdControl(controlHash("INPUT_MOVE_LEFT_ONLY"));
    sim::holdControl(controlHash("INPUT_MOVE_DOWN_ONLY"));
    sim::holdControl(controlHash("INPUT_SPRINT"));
    EXPECT_TRUE(sameCalls(
        frame(), join({HeldFrameHead, DraggingHead,
                       keyboardSteering(true, false, false, true, true), promptFrame(false)})));

    sim::world().keyboardAndMouse = false;
    sim::setControlValue(controlHash("INPUT_MOVE_LR"), 0.6f);
    EXPECT_TRUE(
        sameCalls(frame(), join({HeldFrameHead, DraggingHead, StickSteering, promptFrame(false)})));
    sim::releaseControl(controlHash("INPUT_MOVE_LEFT_ONLY"));
    sim::releaseControl(controlHash("INPUT_MOVE_DOWN_ONLY"));
    sim::releaseControl(controlHash("INPUT_SPRINT"));

    holdPrompt();
    ASSERT_TRUE(runUntil(DragPhase::PuttingDown));
    releasePrompt();
    // Nothing is asked while putting down but the timer and the player.
    EXPECT_TRUE(sameCalls(frame(), join({DueActions, {PlayerPed}})));
    EXPECT_TRUE(sameCalls(frame(), join({DueActions, {PlayerPed}})));
    EXPECT_EQ(pedListsInLastFrame(), 0);

    ASSERT_TRUE(runUntil(DragPhase::Idle));
    EXPECT_TRUE(sameCalls(frame(), join({idleFrame(bodySearch), promptFrame(false)})));
}

TEST_F(FrameCountsTest, TheFirstDraggingFrameFreezesTheBodyAndEndsThere) {
    sim::addBody({0.0f, 1.0f, 0.0f});
    frame();
    holdPrompt();
    ASSERT_TRUE(runUntil(DragPhase::PickingUp));
    releasePrompt();
    for (int i = 0; i < 200 && DragState.state == DragPhase::PickingUp; ++i) {
        const Calls calls = frame();
        if (DragState.state == DragPhase::Dragging) {
            // finishPickup ran at the top of this frame.
            EXPECT_TRUE(sameCalls(
                calls,
                join({HeldFrameHead, {NoCollisionBetween, NoCollisionBetween, FreezeEntity}})));
            EXPECT_EQ(calls.size(), 17u);
        }
    }
    ASSERT_EQ(DragState.state, DragPhase::Dragging);
}

// Allocations of the plugin's own code in each of `count` frames.
std::vector<std::size_t> allocationsPerFrame(int count) {
    std::vector<std::size_t> perFrame;
    for (int i = 0; i < count; ++i) {
        alloc_count::reset();
        sim::runFrame();
        perFrame.push_back(alloc_count::pluginAllocations());
    }
    return perFrame;
}

TEST_F(FrameCountsTest, NoFrameOfADragUnderWayAllocates) {
    const std::vector<std::size_t> none(6, 0u);
    for (int i = 0; i < 16; ++i) {
        sim::addPed({3.0f, static_cast<float>(i), 0.0f});
    }
    sim::addBody({0.0f, 1.0f, 0.0f});
    sim::runFrames(2); // the settings are read, the prompt is made
    EXPECT_EQ(allocationsPerFrame(6), none) << "idle, prompt standing";

    holdPrompt();
    ASSERT_TRUE(runUntil(DragPhase::PickingUp));
    releasePrompt();
    sim::runFrame(); // the follow-up joins the queue
    EXPECT_EQ(allocationsPerFrame(6), none) << "picking up";

    ASSERT_TRUE(runUntil(DragPhase::Dragging));
    sim::runFrames(2); // the body frozen, then the drag clip started
    EXPECT_EQ(allocationsPerFrame(6), none) << "dragging";
    sim::holdControl(controlHash("INPUT_MOVE_LEFT_ONLY"));
    EXPECT_EQ(allocationsPerFrame(6), none) << "dragging, turning with the keyboard";
    sim::world().keyboardAndMouse = false;
    sim::setControlValue(controlHash("INPUT_MOVE_LR"), -0.7f);
    sim::setControlValue(controlHash("INPUT_MOVE_UD"), 0.9f);
    EXPECT_EQ(allocationsPerFrame(6), none) << "dragging, steering with the stick";

    holdPrompt();
    ASSERT_TRUE(runUntil(DragPhase::PuttingDown));
    releasePrompt();
    sim::runFrame(); // the follow-up joins the queue
    EXPECT_EQ(allocationsPerFrame(6), none) << "putting down";
    EXPECT_EQ(DragState.state, DragPhase::PuttingDown);
}

} // namespace
