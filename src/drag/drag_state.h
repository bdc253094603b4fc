// The single record of the drag feature: what it is doing, to which body,
// the heading the player is held to, the bones the body is held by, the one
// hold prompt, and two flags of the dragging frames.
#pragma once

#include "drag/drag_assets.h"

#include <cstdint>

enum class DragPhase : std::int32_t {
    Idle = 0,        // nothing held; the search runs and the drag prompt may stand
    PickingUp = 1,   // the pick-up clip plays; target is set
    Dragging = 2,    // the body is held to the player's hands
    PuttingDown = 3, // the put-down clip plays; the body is free
};

// "Idle", "PickingUp", "Dragging" or "PuttingDown", as the tools and tests
// name the phases.
constexpr const char* phaseName(DragPhase phase) {
    switch (phase) {
    case DragPhase::Idle:
        return "Idle";
    case DragPhase::PickingUp:
        return "PickingUp";
    case DragPhase::Dragging:
        return "Dragging";
    case DragPhase::PuttingDown:
        return "PuttingDown";
    }
    return "?";
}

// The grip bones of grab point 0 with no body part flagged.
inline constexpr std::int32_t RestGripBoneA = assets::LeftFootBone;
inline constexpr std::int32_t RestGripBoneB = assets::RightFootBone;

struct DragStateRecord {
    DragPhase state = DragPhase::Idle;
    std::int32_t target = 0;
    float heading = 0.0f; // degrees, never wrapped
    std::int32_t grabPoint = 0;
    std::int32_t gripBoneA = RestGripBoneA;
    std::int32_t gripBoneB = RestGripBoneB;
    std::int32_t promptEntity = 0;
    std::int32_t prompt = 0;
    bool promptActive = false;
    bool oneHanded = false;
    bool dragEntered = false;
};

extern DragStateRecord DragState;
