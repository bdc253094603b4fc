// Finds the body the player may take hold of: the nearest ped within the
// detection radius that is dead, incapacitated, limp or flagged, and hangs on
// nothing but the player.
#pragma once

#include "plugin/native_call.h"

inline constexpr int PedListCapacity = 1024;

// The handle of the nearest such ped, or 0.
EntityHandle findNearestBody();
