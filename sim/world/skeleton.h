// The one skeleton every ped of the world shares: the bones the plugin names,
// placed in the ped's own frame (x to its right, y ahead, z up, origin on the
// ground between the feet). A ped that stands holds them upright; a body that
// is dead, incapacitated or limp lies on its back along its heading, head
// forward, feet at its position.
//
// The chains of candidate grip bones run from the extremity inwards:
//   left leg  45454 foot, 55120 calf, 65478 thigh
//   right leg 33646 foot, 43312 calf, 6884 thigh
//   left arm  34606 hand, 53675 forearm, 37873 upper arm
//   right arm 22798 hand, 54187 forearm, 46065 upper arm
#pragma once

#include "sim/world/world.h"

#include <cstdint>
#include <optional>
#include <span>

namespace sim {

struct Bone {
    std::int32_t tag = 0;
    Vec3 standing; // in the ped's own frame while it stands
};

// Every bone of the skeleton; a bone's index is its place in this list.
std::span<const Bone> skeleton();

// The index of the bone with this tag, or -1 for a tag the skeleton lacks.
std::int32_t boneIndexOf(std::int32_t tag);

// True when the ped lies flat rather than stands.
bool liesFlat(const Ped& ped);

// The world position of a bone, by index; nothing for an index out of range.
std::optional<Vec3> bonePositionAt(const Ped& ped, std::int32_t index);

// The world position of a bone, by tag; nothing for a tag the skeleton lacks.
std::optional<Vec3> bonePosition(const Ped& ped, std::int32_t tag);

} // namespace sim
