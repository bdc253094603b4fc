// The bones a body is held by, the single hold prompt, and the end of a drag.
#pragma once

#include "plugin/native_call.h"

#include <cstdint>

struct GripBonePair {
    std::int32_t a;
    std::int32_t b;
};

// The two bones of the body for grab point 0 (feet), 1 (hands), 2 or 3 (mixed);
// the game's body-part tests choose between alternatives of each bone.
GripBonePair gripBones(EntityHandle body, std::int32_t grabPoint);

// Puts the hold prompt on the entity, replacing one on another entity. A
// prompt already on this entity is left as it is, label included.
void showPrompt(EntityHandle entity, const char* label);
void removePrompt();

// Ends any drag: optionally lets the body go limp again, removes the prompt,
// drops every deferred action and returns the drag state to rest.
void releaseDrag(bool letGo);
