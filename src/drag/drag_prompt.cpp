#include "drag/drag_prompt.h"

#include "deferred/deferred_actions.h"
#include "drag/drag_state.h"
#include "plugin/natives.h"
#include "settings/settings.h"

void removePrompt() {
    if (!DragState.promptActive) {
        return;
    }
    callNative(natives::PromptDelete, DragState.prompt);
    DragState.promptActive = false;
    DragState.prompt = 0;
    DragState.promptEntity = 0;
}

void showPrompt(EntityHandle entity, const char* label) {
    if (DragState.promptActive) {
        if (DragState.promptEntity == entity) {
            return;
        }
        callNative(natives::PromptDelete, DragState.prompt);
        DragState.promptActive = false;
        DragState.prompt = 0;
    }
    DragState.promptEntity = entity;
    DragState.prompt = callNative<std::int32_t>(natives::PromptBegin);
    // Known from the moment it exists, so that a prompt whose making was cut
    // off is still taken down.
    DragState.promptActive = true;
    callNative(natives::PromptSetControl, DragState.prompt, Settings.DragInput);
    const auto text = callNative<GameString>(natives::MakeGameString, 10, "LITERAL_STRING", label);
    callNative(natives::PromptSetLabel, DragState.prompt, text);
    callNative(natives::PromptSetHoldTime, DragState.prompt, Settings.HoldTime);
    callNative(natives::PromptFinish, DragState.prompt);
    callNative(natives::PromptSetEnabled, DragState.prompt, 1);
    callNative(natives::PromptSetVisible, DragState.prompt, 1);
    const auto group = callNative<std::int32_t>(natives::PromptGroupOf, entity);
    if (group != -1) {
        callNative(natives::PromptSetGroup, DragState.prompt, group, 0);
    }
}

void releaseDrag(bool letGo) {
    if (letGo && callNative<bool>(natives::EntityExists, DragState.target)) {
        callNative(natives::DetachEntity, DragState.target, 1, 1);
        callNative(natives::AllowLimp, DragState.target, 1);
    }
    removePrompt();
    clearActions();
    DragState.state = DragPhase::Idle;
    DragState.target = 0;
    DragState.grabPoint = 0;
    DragState.dragEntered = false;
    DragState.oneHanded = false;
    DragState.gripBoneA = RestGripBoneA;
    DragState.gripBoneB = RestGripBoneB;
}
