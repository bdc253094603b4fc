// What one frame costs the game, counted: the native calls of a frame in every
// state of the drag, call by call in the order the drag feature lays them
// down, and the heap allocations of the plugin in a frame once a drag is under
// way (none). The expected calls are written out from the rules of the frame
// (the script loop, the drag state machine, the body search, the prompt and
// the dragging frame), never taken from a run.
#include "support/counting_allocator.h"
#include "support/plugin_in_world.h"

#include "settings/control_hash.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

// The natives of a frame, by role.
constexpr std::uint64_t GameTimer = 0x4F67E8ECA7D3F667;
constexpr std::uint64_t PlayerPed = 0x096275889B8E0EE0;
constexpr std::uint64_t EntityExists = 0xD42BD6EB2E0F1677;
constexpr std::uint64_t EntityPosition = 0xA86D5F069399F44D;
constexpr std::uint64_t MountOf = 0xE7E11B8DCBED1058;
constexpr std::uint64_t IsPlayer = 0x12534C348C6CB68B;
constexpr std::uint64_t IsDead = 0x7D5B1F88E7504BBA;
constexpr std::uint64_t IsRidingMount = 0x460BC76A0E10655E;
constexpr std::uint64_t IsFalling = 0xFB92A102F1C4DFA3;
constexpr std::uint64_t ConditionTest = 0x886E37EC497200B6;
constexpr std::uint64_t IsSwimming = 0x9DE327631295B4C2;
constexpr std::uint64_t IsInAnyVehicle = 0x997ABD671D25CA0B;
constexpr std::uint64_t IsIncapacitated = 0xB655DB7582AEC805;
constexpr std::uint64_t ConditionValue = 0x3BDFCF25B58B0415;
constexpr std::uint64_t ConditionTestB = 0x59643424B68D52B5;
constexpr std::uint64_t ConfigFlag = 0x7EE53118C892B513;
constexpr std::uint64_t IsLimp = 0x47E4E977581C5B55;
constexpr std::uint64_t IsCarrying = 0xA911EE21EDF69DAF;
constexpr std::uint64_t IsAttachedTo = 0x154A3C529497053E;
constexpr std::uint64_t IsAttached = 0xEE6AD63ABF59C0B7;
constexpr std::uint64_t AttachedTo = 0x56D713888A566481;
constexpr std::uint64_t DistanceSquared = 0xB7A628320EFF8E47;
constexpr std::uint64_t SetEntityHeading = 0xCF2B9C0645C4651B;
constexpr std::uint64_t MakeGameString = 0xFA925AC00EB830B9;
constexpr std::uint64_t PromptBegin = 0x04F97DE45A519419;
constexpr std::uint64_t PromptSetControl = 0xB5352B7494A08258;
constexpr std::uint64_t PromptSetLabel = 0x5DD02A8318420DD7;
constexpr std::uint64_t PromptSetHoldTime = 0x94073D5CA3F16B7B;
constexpr std::uint64_t PromptFinish = 0xF7AA2696A22AD8B9;
constexpr std::uint64_t PromptSetEnabled = 0x8A0FB4D03A630D21;
constexpr std::uint64_t PromptSetVisible = 0x71215ACCFDE075EE;
constexpr std::uint64_t PromptGroupOf = 0xB796970BD125FCE8;
constexpr std::uint64_t PromptSetGroup = 0x2F11D3A254169EA4;
constexpr std::uint64_t ShowPromptGroup = 0x315C81D760609108;
constexpr std::uint64_t PromptHoldCompleted = 0xE0F65F0640EF0617;
constexpr std::uint64_t NoCollision = 0xE037BF068223C38D;
constexpr std::uint64_t FreezeEntity = 0x7D9EFB7AD6B19754;
constexpr std::uint64_t MakePedLimp = 0xAE99FB955581844A;
constexpr std::uint64_t CurrentWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint64_t TextKeyHash = 0xFD340785ADF8CFB7;
constexpr std::uint64_t WeaponClassA = 0xDDC64F5E31EEDAB6;
constexpr std::uint64_t WeaponClassB = 0xC212F1D05A8232BB;
constexpr std::uint64_t ControlPressed = 0xF3A21BCD95725A4A;
constexpr std::uint64_t ControlPressedDisabled = 0xE2587F8CBBD87B1D;
constexpr std::uint64_t BonePosition = 0x17C07FC640E86B4E;
constexpr std::uint64_t BoneIndex = 0x3F428D08BE5AAE31;
constexpr std::uint64_t PinBone = 0x445D7D8EA66E373E;
constexpr std::uint64_t IsPlayingClip = 0xDEE49D5CA6C49148;
constexpr std::uint64_t InputIsKeyboard = 0xA571D46727E2B718;
constexpr std::uint64_t ControlValue = 0x11E65974A982637C;
constexpr std::uint64_t ClipSpeed = 0xEAA885BA3CEA4E4A;

using Calls = std::vector<std::uint64_t>;

// The first difference between two call lists, by role, for a failure message.
std::string roleOf(std::uint64_t hash) {
    static const std::map<std::uint64_t, const char*> roles = {
        {GameTimer, "GameTimer"},
        {PlayerPed, "PlayerPed"},
        {EntityExists, "EntityExists"},
        {EntityPosition, "EntityPosition"},
        {MountOf, "MountOf"},
        {IsPlayer, "IsPlayer"},
        {IsDead, "IsDead"},
        {IsRidingMount, "IsRidingMount"},
        {IsFalling, "IsFalling"},
        {ConditionTest, "ConditionTest"},
        {IsSwimming, "IsSwimming"},
        {IsInAnyVehicle, "IsInAnyVehicle"},
        {IsIncapacitated, "IsIncapacitated"},
        {ConditionValue, "ConditionValue"},
        {ConditionTestB, "ConditionTestB"},
        {ConfigFlag, "ConfigFlag"},
        {IsLimp, "IsLimp"},
        {IsCarrying, "IsCarrying"},
        {IsAttachedTo, "IsAttachedTo"},
        {IsAttached, "IsAttached"},
        {AttachedTo, "AttachedTo"},
        {DistanceSquared, "DistanceSquared"},
        {SetEntityHeading, "SetEntityHeading"},
        {MakeGameString, "MakeGameString"},
        {PromptBegin, "PromptBegin"},
        {PromptSetControl, "PromptSetControl"},
        {PromptSetLabel, "PromptSetLabel"},
        {PromptSetHoldTime, "PromptSetHoldTime"},
        {PromptFinish, "PromptFinish"},
        {PromptSetEnabled, "PromptSetEnabled"},
        {PromptSetVisible, "PromptSetVisible"},
        {PromptGroupOf, "PromptGroupOf"},
        {PromptSetGroup, "PromptSetGroup"},
        {ShowPromptGroup, "ShowPromptGroup"},
        {PromptHoldCompleted, "PromptHoldCompleted"},
        {NoCollision, "NoCollision"},
        {FreezeEntity, "FreezeEntity"},
        {MakePedLimp, "MakePedLimp"},
        {CurrentWeapon, "CurrentWeapon"},
        {TextKeyHash, "TextKeyHash"},
        {WeaponClassA, "WeaponClassA"},
        {WeaponClassB, "WeaponClassB"},
        {ControlPressed, "ControlPressed"},
        {ControlPressedDisabled, "ControlPressedDisabled"},
        {BonePosition, "BonePosition"},
        {BoneIndex, "BoneIndex"},
        {PinBone, "PinBone"},
        {IsPlayingClip, "IsPlayingClip"},
        {InputIsKeyboard, "InputIsKeyboard"},
        {ControlValue, "ControlValue"},
        {ClipSpeed, "ClipSpeed"}};
    auto found = roles.find(hash);
    return found != roles.end() ? found->second : sim::hex(hash);
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
                         IsDead,       IsIncapacitated, IsLimp,        ConfigFlag};
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
    return join({calls, {MakeGameString, ShowPromptGroup, PromptHoldCompleted}});
}

// Making the prompt, for an entity without a prompt group.
const Calls NewPrompt = {PromptBegin,      PromptSetControl,  MakeGameString,
                         PromptSetLabel,   PromptSetHoldTime, PromptFinish,
                         PromptSetEnabled, PromptSetVisible,  PromptGroupOf};

// While a body is held: the player guard, then the player's limp test and
// whether the body still exists.
const Calls PlayerGuard = {IsDead,         IsRidingMount,  IsFalling,       ConditionTest,
                           IsSwimming,     IsInAnyVehicle, IsIncapacitated, ConditionValue,
                           ConditionTestB, ConfigFlag};
const Calls HeldFrameHead = join({DueActions, {PlayerPed}, PlayerGuard, {IsLimp, EntityExists}});

// A held control answers on the plain test; one that is not held is asked
// both ways.
Calls control(bool held) {
    return held ? Calls{ControlPressed} : Calls{ControlPressed, ControlPressedDisabled};
}

// The dragging frame after the first, both hands, the body limp and the drag
// clip playing, up to the choice of steering; the player unarmed (the first
// weapon class test answers no, so the second is asked) and not aiming.
const Calls DraggingHead =
    join({{NoCollision, NoCollision, FreezeEntity, IsLimp},
          {CurrentWeapon, CurrentWeapon, TextKeyHash, WeaponClassA, WeaponClassB},
          control(false),
          {BonePosition, BonePosition, BoneIndex, BoneIndex, PinBone, PinBone},
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
const Calls StickSteering = {ControlValue, ControlValue, ControlPressedDisabled, SetEntityHeading,
                             ClipSpeed};

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
    const Calls states = {IsDead, IsIncapacitated, IsLimp, ConfigFlag};
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
            EXPECT_TRUE(
                sameCalls(calls, join({HeldFrameHead, {NoCollision, NoCollision, FreezeEntity}})));
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
