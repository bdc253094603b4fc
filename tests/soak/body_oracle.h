// Which body the search must find, worked out from the world's own records
// rather than through natives: the nearest listed ped (of the first 1024)
// that exists, is no player, rides nothing, sits in no vehicle, hangs on
// nothing but the player (and not on the player's mount), and is dead,
// incapacitated, limp or flagged, strictly inside the detection radius; the
// earlier one in the list on a tie.
#pragma once

#include <cstdint>

namespace soak {

std::int32_t expectedBody(float detectionRadius);

// The player may not take hold of anything: mounted, in a vehicle or carrying.
bool playerBlocked();

// The tests that end a drag by the abort path, in their order; "" when none
// fires.
const char* playerGuardFiring();

} // namespace soak
