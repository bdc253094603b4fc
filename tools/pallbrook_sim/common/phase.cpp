#include "common/phase.h"

namespace pbsim {

const char* phaseName(Phase phase) {
    switch (phase) {
    case Phase::Idle:
        return "Idle";
    case Phase::PickingUp:
        return "PickingUp";
    case Phase::Dragging:
        return "Dragging";
    case Phase::PuttingDown:
        return "PuttingDown";
    }
    return "?";
}

} // namespace pbsim
