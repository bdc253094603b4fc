#include "common/phase.h"

namespace pbsim {

const char* phaseName(DragPhase phase) {
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

} // namespace pbsim
