// Headings and directions in the world's convention: 0 degrees along +y,
// counter-clockwise seen from above, so the direction (-1, 0) has heading 90.
#pragma once

#include "sim/world/world.h"

namespace sim {

// The unit vector a ped with this heading faces, in the ground plane.
Vec3 forwardOf(float headingDegrees);

// The heading of the direction (dx, dy), in [0, 360). (0, 0) gives 0.
float headingOf(float dx, float dy);

// A point given in a ped's own frame (x to its right, y ahead, z up), turned
// by the heading and placed at the origin.
Vec3 rotateByHeading(Vec3 local, float headingDegrees);

float distanceSquared(Vec3 a, Vec3 b);

} // namespace sim
