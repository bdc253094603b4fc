// How the world judges a prompt.
//
// Hold completion: a prompt that is finished, enabled and visible completes
// once its control has been held without a break for its hold time on the
// game timer. The hold counts from the later of the moment the control was
// pressed and the moment the prompt was begun, so a control already held
// when the prompt appears must still be held for the full hold time after
// that. It stays complete while the control stays held.
#pragma once

#include "sim/world/world.h"

#include <cstdint>

namespace sim {

bool isHoldCompleted(const Prompt& prompt);

// The entity a prompt stands on: the ped whose prompt group was shown with
// the prompt's group this frame, else a ped that has the prompt's group
// (not -1); 0 when neither.
std::int32_t promptEntity(const Prompt& prompt);

} // namespace sim
