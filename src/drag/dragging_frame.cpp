#include "drag/dragging_frame.h"

#include "drag/anim_calls.h"
#include "drag/drag_assets.h"
#include "drag/drag_state.h"
#include "plugin/natives.h"
#include "settings/control_hash.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float LeftHandPinStrength = 1.0e11f;
constexpr float RightHandPinStrength = 1.0e13f;

constexpr std::int32_t BothHandsClipFlags = 0x40200001;
constexpr std::int32_t OneHandedClipFlags = 0x40210011;

constexpr float StickDeadZone = 0.15f;
constexpr float KeyboardTurn = 1.0f;

constexpr std::uint32_t InputAim = controlHash("INPUT_AIM");
constexpr std::uint32_t InputMoveLeft = controlHash("INPUT_MOVE_LEFT_ONLY");
constexpr std::uint32_t InputMoveRight = controlHash("INPUT_MOVE_RIGHT_ONLY");
constexpr std::uint32_t InputMoveUp = controlHash("INPUT_MOVE_UP_ONLY");
constexpr std::uint32_t InputMoveDown = controlHash("INPUT_MOVE_DOWN_ONLY");
constexpr std::uint32_t InputSprint = controlHash("INPUT_SPRINT");
constexpr std::uint32_t InputMoveLeftRight = controlHash("INPUT_MOVE_LR");
constexpr std::uint32_t InputMoveUpDown = controlHash("INPUT_MOVE_UD");
static_assert(InputAim == 0xF84FA74F && InputMoveLeft == 0x7065027D &&
              InputMoveRight == 0xB4E465B4 && InputMoveUp == 0x8FD015D8 &&
              InputMoveDown == 0xD27782E3 && InputSprint == 0x8FFC75D6 &&
              InputMoveLeftRight == 0x4D8FB4C1 && InputMoveUpDown == 0xFDA83190);

bool isControlHeld(std::uint32_t control) {
    return callNative<bool>(natives::ControlPressed, 0, control) ||
           callNative<bool>(natives::ControlPressedWhileDisabled, 0, control);
}

std::uint32_t currentWeapon(EntityHandle player, std::int32_t slot) {
    std::uint32_t weapon = 0;
    callNative(natives::CurrentWeapon, player, &weapon, 1, slot, 1);
    return weapon;
}

// Aiming a one-handed weapon with the other hand free: the body is then held
// by one hand and the clip leaves the weapon arm free.
bool wantsOneHandedGrip(EntityHandle player) {
    const std::uint32_t mainWeapon = currentWeapon(player, 0);
    const std::uint32_t otherWeapon = currentWeapon(player, 1);
    const auto unarmed = callNative<std::uint32_t>(natives::TextKeyHash, assets::UnarmedWeapon);
    const bool otherHandBusy = otherWeapon != unarmed && otherWeapon != 0;
    const bool oneHandWeapon = callNative<bool>(natives::WeaponClassTestA, mainWeapon) ||
                               callNative<bool>(natives::WeaponClassTestB, mainWeapon);
    const bool aiming = isControlHeld(InputAim);
    return aiming && oneHandWeapon && !otherHandBusy;
}

void restartDragClip(EntityHandle player, bool oneHanded) {
    using namespace assets;
    loadAnimDict(DragClipDict);
    float phase = 0.0f;
    if (isPlayingDragClip(player)) {
        phase = callNative<float>(natives::ClipPhase, player, DragClipDict, DragClip);
    }
    callNative(natives::StopClip, player, DragClipDict, DragClip, 3.0f);
    playClipTask(player, DragClipDict, DragClip, 8.0f, 8.0f, -1,
                 oneHanded ? OneHandedClipFlags : BothHandsClipFlags, phase,
                 oneHanded ? OneHandedFilter : BothHandsFilter);
    DragState.oneHanded = oneHanded;
}

// Steers the player and returns the drag clip's playback speed.
float steerWithKeyboard(EntityHandle player) {
    const bool left = isControlHeld(InputMoveLeft);
    const bool right = isControlHeld(InputMoveRight);
    const bool up = isControlHeld(InputMoveUp);
    const bool down = isControlHeld(InputMoveDown);
    const bool sprint = isControlHeld(InputSprint);
    if (left) {
        DragState.heading -= KeyboardTurn;
    } else if (right) {
        DragState.heading += KeyboardTurn;
    }
    callNative(natives::SetEntityHeading, player, DragState.heading);
    const float pace = sprint ? 1.2f : 1.0f;
    if (up) {
        return -pace;
    }
    return down ? pace : 0.0f;
}

float steerWithStick(EntityHandle player) {
    const auto x = callNative<float>(natives::ControlValue, 0, InputMoveLeftRight);
    const auto y = callNative<float>(natives::ControlValue, 0, InputMoveUpDown);
    const bool sprint = callNative<bool>(natives::ControlPressedWhileDisabled, 0, InputSprint);
    const float factor = sprint ? 1.5f : 1.2f;
    if (std::fabs(x) > StickDeadZone) {
        DragState.heading += (2.5f - std::fabs(y) * 2.125f) * x;
    }
    callNative(natives::SetEntityHeading, player, DragState.heading);
    return std::fabs(y) > StickDeadZone ? factor * y : 0.0f;
}

} // namespace

DraggingFrameResult runDraggingFrame(EntityHandle player) {
    const EntityHandle body = DragState.target;
    callNative(natives::NoCollisionBetween, body, player, 1);
    callNative(natives::NoCollisionBetween, player, body, 1);

    if (!DragState.dragEntered) {
        callNative(natives::FreezeEntity, body, 1);
        DragState.dragEntered = true;
        return DraggingFrameResult::FirstFrame;
    }
    callNative(natives::FreezeEntity, body, 0);

    if (!callNative<bool>(natives::IsLimp, body)) {
        makePedLimp(body);
    }

    const bool oneHandedNow = wantsOneHandedGrip(player);
    const bool modeChanged = oneHandedNow != DragState.oneHanded;
    if (modeChanged) {
        callNative(natives::DetachEntity, body, 1, 1);
    }

    const Vector3 rightHand = getPedBonePosition(player, assets::RightHandBone);
    const Vector3 leftHand = getPedBonePosition(player, assets::LeftHandBone);
    const auto indexA = callNative<std::int32_t>(natives::PedBoneIndex, body, DragState.gripBoneA);
    const auto indexB = callNative<std::int32_t>(natives::PedBoneIndex, body, DragState.gripBoneB);
    // The left hand always holds; the right one lets go to aim.
    pinBoneToPoint(body, indexB, leftHand.x, leftHand.y, leftHand.z, LeftHandPinStrength);
    if (!oneHandedNow) {
        pinBoneToPoint(body, indexA, rightHand.x, rightHand.y, rightHand.z, RightHandPinStrength);
    }

    if (modeChanged || !isPlayingDragClip(player)) {
        restartDragClip(player, oneHandedNow);
    }

    const bool keyboard = callNative<bool>(natives::InputIsKeyboard, 0);
    const float speed = keyboard ? steerWithKeyboard(player) : steerWithStick(player);
    callNative(natives::ClipSpeed, player, assets::DragClipDict, assets::DragClip, speed);
    return DraggingFrameResult::Held;
}
