// At pick-up: chooses where to take hold of the body and places the player
// beside that point, on the ground, facing it.
#pragma once

#include "plugin/native_call.h"

// Sets grabPoint, gripBoneA, gripBoneB and heading in the drag state.
void placePlayerForPickup(EntityHandle player, EntityHandle body);
