// The plugin's drag state, as the observer tells it and as expectations name
// it: the plugin's own DragPhase, told from its calls.
#pragma once

#include "drag/drag_state.h"

namespace pbsim {

// "Idle", "PickingUp", "Dragging" or "PuttingDown".
const char* phaseName(DragPhase phase);

} // namespace pbsim
