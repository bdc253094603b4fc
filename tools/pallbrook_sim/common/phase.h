// The plugin's drag state, as the observer tells it and as expectations name it.
#pragma once

namespace pbsim {

enum class Phase { Idle = 0, PickingUp = 1, Dragging = 2, PuttingDown = 3 };

// "Idle", "PickingUp", "Dragging" or "PuttingDown".
const char* phaseName(Phase phase);

} // namespace pbsim
