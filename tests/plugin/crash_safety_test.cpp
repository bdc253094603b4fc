// Failures at the host boundary in the middle of a drag: a native call that
// fails inside the host (its handler throws), and memory that runs out when a
// drag starts. No exception may leave the library entry, the script entry or
// the keyboard handler: the frame loop goes on in the next frame, a drag cut
// off half way is let go, and dragging works again.
#include "deferred/deferred_actions.h"
#include "drag/drag_assets.h"
#include "drag/drag_fixture.h"
#include "plugin/dll_main.h"
#include "plugin/keyboard_state.h"
#include "plugin/script.h"
#include "support/counting_allocator.h"

#include <stdexcept>
#include <string>

namespace {

// What the host calls into can never throw: an exception there would end the
// game process.
static_assert(noexcept(DllMain(nullptr, 0, nullptr)));
static_assert(noexcept(runScript()));
static_assert(noexcept(handleKeyboardMessage(0, 0, 0, 0, 0, 0, 0)));

using assets::PickupDict;
using natives::AnimDictLoaded;
using natives::ClearTasks;
using natives::ClipSpeed;
using natives::FreezeEntity;
using natives::GameTimer;
using natives::IsDead;
using natives::PinBoneToPoint;
using natives::PlayClipTask;
using natives::PlayerPed;
using natives::PromptHoldCompleted;
using natives::PromptSetControl;
using natives::SetEntityHeading;
using natives::SetEntityPosition;

std::size_t queued() {
    return DeferredActions.main.size() + DeferredActions.pending.size();
}

class CrashSafetyTest : public DragFixture {
  protected:
    void SetUp() override {
        DragFixture::SetUp();
        // A session's first drag: the queue has never held anything.
        DeferredActions.main = {};
        DeferredActions.pending = {};
        alloc_count::reset();
    }

    // From now on the native throws on its (skip + 1)-th call once armed.
    void failNative(std::uint64_t hash) {
        auto& entry = sim::host().natives.at(hash);
        auto answer = entry.handler;
        entry.handler = [this, answer](const sim::NativeArgs& args, sim::NativeResult& result) {
            if (armed && skip-- == 0) {
                armed = false;
                ++thrown;
                throwFrame = frame();
                stateAtThrow = DragState.state;
                throw std::runtime_error("the host failed inside a native");
            }
            answer(args, result);
        };
    }

    // Every frame from `from` on runs the loop again: the deferred actions
    // read the timer first, then the drag step asks for the player.
    void expectLoopRuns(std::int64_t from, std::int64_t to) {
        for (std::int64_t f = from; f <= to; ++f) {
            EXPECT_GE(callsInFrame(GameTimer, f), 1u) << "frame " << f;
            EXPECT_GE(callsInFrame(PlayerPed, f), 1u) << "frame " << f;
        }
    }

    // The player lets go and falls for a frame, which ends any pick-up or
    // drag; then holds the control again: a whole drag runs to its end.
    void expectDraggingWorksAgain() {
        releasePromptControl();
        sim::playerPed().falling = true;
        step();
        sim::playerPed().falling = false;
        step(40);
        ASSERT_TRUE(inState(DragPhase::Idle)) << "state " << static_cast<int>(DragState.state);
        EXPECT_EQ(queued(), 0u);
        holdPromptControl();
        ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::PuttingDown); }));
        ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Idle); }));
        EXPECT_EQ(sim::promptCount(), 1); // the drag prompt again, on the body just put down
    }

    // Calls that cleared the player's tasks as the put-down's follow-up does.
    std::size_t playerTasksClearedInFrame(std::int64_t inFrame) const {
        std::size_t n = 0;
        for (const auto& call : sim::host().calls) {
            n += call.frame == inFrame && call.hash == ClearTasks && call.args.i32(0) == player() &&
                         call.args.word(1) == 1 && call.args.word(2) == 0
                     ? 1u
                     : 0u;
        }
        return n;
    }

    bool armed = false;
    int skip = 0;
    int thrown = 0;
    std::int64_t throwFrame = 0;
    DragPhase stateAtThrow = DragPhase::Idle;
};

struct FailurePoint {
    const char* name;
    std::uint64_t hash;
    DragPhase armedIn; // armed in the first frame that ends in this state
    int skip;          // calls of the native let through after arming
    int dictFrames;    // frames the pick-up dictionary takes to load
};

class NativeFailureTest : public CrashSafetyTest,
                          public ::testing::WithParamInterface<FailurePoint> {};

TEST_P(NativeFailureTest, TheLoopGoesOnAndDraggingWorksAgain) {
    const FailurePoint point = GetParam();
    sim::setDictLoadFrames(PickupDict, point.dictFrames);
    failNative(point.hash);
    holdPromptControl();
    if (point.armedIn != DragPhase::Idle) {
        ASSERT_TRUE(stepUntil([&] { return inState(point.armedIn); }));
    }
    armed = true;
    skip = point.skip;
    ASSERT_TRUE(stepUntil([this] { return thrown == 1; }));

    step(12);
    expectLoopRuns(throwFrame + 4, frame());
    EXPECT_LE(queued(), 1u);
    // No prompt is left behind in the game: the one that stands is the one tracked.
    EXPECT_LE(sim::world().promptsBegun - sim::world().promptsDeleted, 1);
    EXPECT_EQ(sim::promptCount() == 1, DragState.promptActive);
    // A put-down always runs to its end: cut off, it ends there and then as its
    // follow-up would have (the call that failed is not counted).
    if (point.armedIn == DragPhase::PuttingDown) {
        ASSERT_EQ(stateAtThrow, DragPhase::PuttingDown) << "the failure came after the put-down";
    }
    if (stateAtThrow == DragPhase::PuttingDown) {
        EXPECT_EQ(playerTasksClearedInFrame(throwFrame), 1u);
    }
    expectDraggingWorksAgain();
}

const FailurePoint NativeFailures[] = {
    {"DragPromptBeingMade", PromptSetControl, DragPhase::Idle, 0, 0},
    {"DragPromptHoldCheck", PromptHoldCompleted, DragPhase::Idle, 0, 0},
    {"PlayerPlacedForPickup", SetEntityPosition, DragPhase::Idle, 0, 0},
    {"PickupDictionaryWait", AnimDictLoaded, DragPhase::Idle, 1, 3},
    {"PickupClip", PlayClipTask, DragPhase::Idle, 0, 0},
    {"HeadingHeldWhilePickingUp", SetEntityHeading, DragPhase::PickingUp, 0, 0},
    {"FirstDraggingFrame", FreezeEntity, DragPhase::Idle, 0, 0},
    {"BodyPinnedToTheHands", PinBoneToPoint, DragPhase::Idle, 0, 0},
    {"Steering", ClipSpeed, DragPhase::Idle, 0, 0},
    {"PlayerGuardWhileDragging", IsDead, DragPhase::Dragging, 0, 0},
    {"DropPromptHoldCheck", PromptHoldCompleted, DragPhase::Dragging, 0, 0},
    {"PutdownClip", PlayClipTask, DragPhase::Dragging, 1, 0},
    {"PutdownFollowUp", ClearTasks, DragPhase::Idle, 0, 0},
    {"TimerWhilePuttingDown", GameTimer, DragPhase::PuttingDown, 0, 0},
    {"TimerOfTheDeferredActions", GameTimer, DragPhase::Idle, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(EachPointOfADrag, NativeFailureTest, ::testing::ValuesIn(NativeFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CrashSafetyTest, MemoryRunningOutWhenTheFirstDragStartsLeavesTheLoopRunning) {
    step(2); // the settings are read in the first frame
    holdPromptControl();
    alloc_count::failNextPluginAllocation();
    const std::size_t before = alloc_count::pluginAllocations();
    ASSERT_TRUE(stepUntil([this] { return !inState(DragPhase::Idle); }));
    const std::int64_t started = frame();
    EXPECT_GT(alloc_count::pluginAllocations(), before) << "the start allocated nothing";

    step(12);
    expectLoopRuns(started + 1, frame());
    EXPECT_LE(queued(), 1u);
    expectDraggingWorksAgain();
}

TEST_F(CrashSafetyTest, AfterTheFirstDragNeitherStartNeedsMemory) {
    holdPromptControl();
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::PuttingDown); }));
    ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Idle); }));

    // Memory runs out for every frame of a second drag.
    const std::size_t before = alloc_count::pluginAllocations();
    bool putDown = false;
    for (int i = 0; i < 400 && !(putDown && inState(DragPhase::Idle)); ++i) {
        alloc_count::failNextPluginAllocation();
        step();
        putDown = putDown || inState(DragPhase::PuttingDown);
    }
    EXPECT_TRUE(putDown && inState(DragPhase::Idle));
    EXPECT_EQ(alloc_count::pluginAllocations(), before);
    alloc_count::reset();
}

} // namespace
