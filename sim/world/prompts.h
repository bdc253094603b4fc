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
#include <functional>
#include <span>

namespace sim {

bool isHoldCompleted(const Prompt& prompt);

// The entity a prompt of this group stands on: the entity whose prompt group
// was shown last with it this frame, else the entity that ownerOf names as
// the owner of the group (not -1); 0 when neither. The replay's brief, which
// has no world, follows the same rule with what the calls told it.
std::int32_t promptEntity(std::int32_t group, std::span<const PromptGroupShown> shownThisFrame,
                          const std::function<std::int32_t(std::int32_t group)>& ownerOf);

// The entity a prompt of the world stands on: owners are the peds that have
// the prompt's group.
std::int32_t promptEntity(const Prompt& prompt);

} // namespace sim
