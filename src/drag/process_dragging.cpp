#include "drag/process_dragging.h"

#include "deferred/deferred_actions.h"
#include "drag/anim_calls.h"
#include "drag/body_search.h"
#include "drag/drag_assets.h"
#include "drag/drag_prompt.h"
#include "drag/drag_state.h"
#include "drag/dragging_frame.h"
#include "drag/grab_point.h"
#include "plugin/natives.h"
#include "settings/settings.h"

namespace {

GameString gameText(const char* text) {
    return callNative<GameString>(natives::MakeGameString, 10, "LITERAL_STRING", text);
}

// True when the player can no longer hold a body: dead, mounted, falling,
// swimming, in a vehicle and the like. The first test that fires decides.
bool playerMustLetGo(EntityHandle player) {
    using namespace natives;
    return callNative<bool>(IsDead, player) || callNative<bool>(IsRidingMount, player) ||
           callNative<bool>(IsFalling, player) ||
           callNative<bool>(PlayerConditionTest, player, 1) ||
           callNative<bool>(IsSwimming, player) || callNative<bool>(IsInAnyVehicle, player, 0) ||
           callNative<bool>(IsIncapacitated, player) ||
           callNative<std::int32_t>(PlayerConditionValue, player) == 1 ||
           callNative<bool>(PlayerConditionTestB, player) || isPedConfigFlagSet(player);
}

void abortDrag() {
    removePrompt();
    if (callNative<bool>(natives::EntityExists, DragState.target)) {
        callNative(natives::DetachEntity, DragState.target, 1, 1);
    }
    releaseDrag(false);
}

void finishPickup() {
    if (DragState.state == DragPhase::PickingUp && DragState.target != 0) {
        DragState.state = DragPhase::Dragging;
    }
}

void finishPutdown(EntityHandle player) {
    callNative(natives::ClearTasks, player, 1, 0);
    releaseDrag(false);
}

// The prompt on the body this frame: its label, its group, and whether the
// player has held its control long enough.
bool promptHoldCompleted(EntityHandle body, const char* label, bool joinGroup) {
    showPrompt(body, label);
    callNative(natives::PromptSetLabel, DragState.prompt, gameText(label));
    const auto group = callNative<std::int32_t>(natives::PromptGroupOf, body);
    if (joinGroup && group != -1) {
        callNative(natives::PromptSetGroup, DragState.prompt, group, 0);
    }
    showPromptGroupOnEntity(body, group, gameText(""));
    return DragState.promptActive &&
           callNative<bool>(natives::PromptHoldCompleted, DragState.prompt);
}

void startPickup(EntityHandle player, EntityHandle body) {
    removePrompt();
    DragState.target = body;
    DragState.state = DragPhase::PickingUp;
    placePlayerForPickup(player, body);
    callNative(natives::ClearTasksAtOnce, body, 1, 1);
    makePedLimp(body);
    loadAnimDict(assets::PickupDict);
    playClipTask(player, assets::PickupDict, assets::PickupClip, 4.0f, 8.0f,
                 Settings.PickupAnimDuration, 1024, 0.0f, assets::BothHandsFilter);
    scheduleAction(Settings.PickupAnimDuration, finishPickup);
}

void startPutdown(EntityHandle player) {
    DragState.state = DragPhase::PuttingDown;
    removePrompt();
    if (callNative<bool>(natives::EntityExists, DragState.target)) {
        callNative(natives::DetachEntity, DragState.target, 1, 1);
    }
    loadAnimDict(assets::PutdownDict);
    callNative(natives::StopClip, player, assets::DragClipDict, assets::DragClip, 3.0f);
    playClipTask(player, assets::PutdownDict, assets::PutdownClip, 8.0f, 1.0f,
                 Settings.PutdownAnimDuration, 5120, 0.0f, assets::NoFilter);
    scheduleAction(Settings.PutdownAnimDuration, [player] { finishPutdown(player); });
}

void idleStep(EntityHandle player) {
    if (callNative<bool>(natives::IsRidingMount, player) ||
        callNative<bool>(natives::IsInAnyVehicle, player, 0) ||
        callNative<bool>(natives::IsCarrying, player)) {
        removePrompt();
        return;
    }
    const EntityHandle body = findNearestBody();
    if (body == 0) {
        removePrompt();
        return;
    }
    if (promptHoldCompleted(body, Settings.DragText.c_str(), true)) {
        startPickup(player, body);
    }
}

} // namespace

void abandonDrag() {
    if (DragState.state == DragPhase::Idle) {
        removePrompt();
        clearActions();
        return;
    }
    if (DragState.state == DragPhase::PuttingDown) {
        // A put-down always runs to its end: it ends now, as its follow-up
        // would have ended it.
        finishPutdown(callNative<EntityHandle>(natives::PlayerPed));
        return;
    }
    if (DragState.state == DragPhase::Dragging) {
        // Nothing will steer the drag clip any more: the player lets go of it too.
        const auto player = callNative<EntityHandle>(natives::PlayerPed);
        callNative(natives::StopClip, player, assets::DragClipDict, assets::DragClip, 3.0f);
    }
    abortDrag();
}

void ProcessDragging() {
    const auto player = callNative<EntityHandle>(natives::PlayerPed);
    const DragPhase state = DragState.state;

    if (state == DragPhase::PickingUp || state == DragPhase::Dragging) {
        if (playerMustLetGo(player)) {
            abortDrag();
            return;
        }
        if (callNative<bool>(natives::IsLimp, player)) {
            releaseDrag(true);
            return;
        }
        if (!callNative<bool>(natives::EntityExists, DragState.target)) {
            releaseDrag(false);
            return;
        }
    }

    switch (state) {
    case DragPhase::Idle:
        idleStep(player);
        break;
    case DragPhase::PickingUp:
        callNative(natives::SetEntityHeading, player, DragState.heading);
        break;
    case DragPhase::Dragging:
        if (runDraggingFrame(player) == DraggingFrameResult::Held &&
            promptHoldCompleted(DragState.target, Settings.DropText.c_str(), false)) {
            startPutdown(player);
        }
        break;
    case DragPhase::PuttingDown:
        break;
    }
}
