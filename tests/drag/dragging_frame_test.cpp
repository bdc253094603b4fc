// The dragging frames: the one-handed aiming mode and the steering.
#include "drag/drag_assets.h"
#include "drag_fixture.h"

namespace {

using natives::DetachEntity;
using natives::PinBoneToPoint;
using natives::PlayClipTask;
constexpr std::uint32_t Revolver = 0x169F59F7;
constexpr std::uint32_t Lantern = 0x0172C1E4;

const std::uint32_t Aim = controlHash("INPUT_AIM");
const std::uint32_t Left = controlHash("INPUT_MOVE_LEFT_ONLY");
const std::uint32_t Right = controlHash("INPUT_MOVE_RIGHT_ONLY");
const std::uint32_t Up = controlHash("INPUT_MOVE_UP_ONLY");
const std::uint32_t Down = controlHash("INPUT_MOVE_DOWN_ONLY");
const std::uint32_t Sprint = controlHash("INPUT_SPRINT");
const std::uint32_t StickX = controlHash("INPUT_MOVE_LR");
const std::uint32_t StickY = controlHash("INPUT_MOVE_UD");

class DraggingFrameTest : public DragFixture {
  protected:
    const sim::NativeCall* lastCallInFrame(std::uint64_t hash) const {
        const sim::NativeCall* found = nullptr;
        for (const auto& call : sim::host().calls) {
            if (call.frame == frame() && call.hash == hash) {
                found = &call;
            }
        }
        return found;
    }
    float clipSpeed() const { return sim::playerPed().clip.speed; }
};

TEST_F(DraggingFrameTest, AimingAOneHandedWeaponHoldsTheBodyByOneHandAndBack) {
    sim::world().weaponClassA.insert(Revolver);
    sim::playerPed().weapons[0] = Revolver;
    startDragging();
    sim::holdControl(Down); // walking plays the clip on
    step(10);
    const float phaseBefore = sim::playerPed().clip.phase;
    ASSERT_GT(phaseBefore, 0.0f);

    sim::holdControl(Aim);
    step();
    EXPECT_TRUE(DragState.oneHanded);
    EXPECT_EQ(callsInFrame(DetachEntity, frame()), 1u);
    EXPECT_EQ(callsInFrame(PinBoneToPoint, frame()), 1u);
    const auto* play = lastCallInFrame(PlayClipTask);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->args.u32(6), 0x40210011u);
    EXPECT_EQ(std::string(play->args.text(11)), assets::OneHandedFilter);
    // Restarted where the clip was, not from the beginning.
    EXPECT_GE(play->args.f32(7), phaseBefore);

    step();
    EXPECT_EQ(callsInFrame(DetachEntity, frame()), 0u);
    EXPECT_EQ(callsInFrame(PlayClipTask, frame()), 0u);

    sim::releaseControl(Aim);
    step();
    EXPECT_FALSE(DragState.oneHanded);
    EXPECT_EQ(callsInFrame(DetachEntity, frame()), 1u);
    EXPECT_EQ(callsInFrame(PinBoneToPoint, frame()), 2u);
    play = lastCallInFrame(PlayClipTask);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->args.u32(6), 0x40200001u);
    EXPECT_EQ(std::string(play->args.text(11)), assets::BothHandsFilter);
    EXPECT_GT(play->args.f32(7), 0.0f);
}

TEST_F(DraggingFrameTest, BothHandsStayWhenTheWeaponIsNotOneHandedOrTheOtherHandIsFull) {
    sim::world().weaponClassB.insert(Revolver);
    sim::playerPed().weapons[0] = Revolver;
    sim::playerPed().weapons[1] = Lantern;
    startDragging();
    sim::holdControl(Aim);
    step();
    EXPECT_FALSE(DragState.oneHanded);
    EXPECT_EQ(callsInFrame(PinBoneToPoint, frame()), 2u);

    sim::playerPed().weapons[0] = Lantern; // passes neither class test
    sim::playerPed().weapons[1] = 0;
    step();
    EXPECT_FALSE(DragState.oneHanded);

    // The unarmed "weapon" in the other slot leaves that hand free.
    sim::playerPed().weapons[0] = Revolver;
    sim::playerPed().weapons[1] = 0xA2719263; // the text hash of assets::UnarmedWeapon
    step();
    EXPECT_TRUE(DragState.oneHanded);
}

TEST_F(DraggingFrameTest, AnInterruptedDragClipStartsAgainFromTheBeginning) {
    startDragging();
    step(5);
    sim::playerPed().clip = {}; // the game stopped it
    step();
    const auto* play = lastCallInFrame(PlayClipTask);
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->args.f32(7), 0.0f);
    EXPECT_EQ(callsInFrame(DetachEntity, frame()), 0u);
}

TEST_F(DraggingFrameTest, KeyboardTurnsOneDegreeAFrameAndSetsTheClipSpeed) {
    startDragging();
    const float start = DragState.heading;
    sim::holdControl(Left);
    step(10);
    EXPECT_FLOAT_EQ(DragState.heading, start - 10.0f);
    sim::holdControl(Right); // left wins
    step();
    EXPECT_FLOAT_EQ(DragState.heading, start - 11.0f);
    sim::releaseControl(Left);
    step(3);
    EXPECT_FLOAT_EQ(DragState.heading, start - 8.0f);
    EXPECT_EQ(sim::playerPed().heading, DragState.heading);
    EXPECT_EQ(clipSpeed(), 0.0f);

    sim::holdControl(Down);
    step();
    EXPECT_EQ(clipSpeed(), 1.0f);
    sim::holdControl(Up); // up wins
    step();
    EXPECT_EQ(clipSpeed(), -1.0f);
    sim::holdControl(Sprint);
    step();
    EXPECT_EQ(clipSpeed(), -1.2f);
    // A control the game has disabled still counts as held.
    sim::setControlDisabled(Up, true);
    step();
    EXPECT_EQ(clipSpeed(), -1.2f);
}

TEST_F(DraggingFrameTest, TheStickTurnsByItsDeflectionOutsideTheDeadZone) {
    sim::world().keyboardAndMouse = false;
    startDragging();
    const float start = DragState.heading;
    sim::setControlValue(StickX, 1.0f);
    step();
    EXPECT_FLOAT_EQ(DragState.heading, start + 2.5f);
    sim::setControlValue(StickY, 1.0f);
    step();
    EXPECT_FLOAT_EQ(DragState.heading, start + 2.875f);
    EXPECT_FLOAT_EQ(clipSpeed(), 1.2f);
    sim::holdControl(Sprint);
    sim::setControlValue(StickY, -0.5f);
    step();
    EXPECT_FLOAT_EQ(clipSpeed(), -0.75f);

    sim::releaseControl(Sprint);
    sim::setControlValue(StickX, 0.15f);
    sim::setControlValue(StickY, -0.15f);
    const float before = DragState.heading;
    step();
    EXPECT_EQ(DragState.heading, before);
    EXPECT_EQ(clipSpeed(), 0.0f);

    // Each axis has its own dead zone: the side one only turns, the forward
    // one only walks.
    sim::setControlValue(StickX, 0.1f);
    sim::setControlValue(StickY, -0.6f);
    step();
    EXPECT_EQ(DragState.heading, before);
    EXPECT_FLOAT_EQ(clipSpeed(), -0.72f);
    sim::setControlValue(StickX, 0.5f);
    sim::setControlValue(StickY, 0.1f);
    step();
    EXPECT_FLOAT_EQ(DragState.heading, before + (2.5f - 0.1f * 2.125f) * 0.5f);
    EXPECT_EQ(clipSpeed(), 0.0f);
}

TEST_F(DraggingFrameTest, HeadingIsNeverWrapped) {
    startDragging();
    DragState.heading = 359.5f;
    sim::holdControl(Right);
    step(2);
    EXPECT_FLOAT_EQ(DragState.heading, 361.5f);
    EXPECT_FLOAT_EQ(sim::playerPed().heading, 361.5f);
}

} // namespace
