#include "sim/world/geometry.h"

#include "sim/world/portable_math.h"

namespace sim {

namespace {
constexpr float Pi = 3.14159265358979f;
float radians(float degrees) {
    return degrees * Pi / 180.0f;
}
} // namespace

Vec3 forwardOf(float headingDegrees) {
    float h = radians(headingDegrees);
    return {-static_cast<float>(portableSin(h)), static_cast<float>(portableCos(h)), 0.0f};
}

float headingOf(float dx, float dy) {
    if (dx == 0.0f && dy == 0.0f) {
        return 0.0f;
    }
    float degrees = static_cast<float>(portableAtan2(-dx, dy)) * 180.0f / Pi;
    if (degrees < 0.0f) {
        degrees += 360.0f;
    }
    return degrees >= 360.0f ? 0.0f : degrees;
}

Vec3 rotateByHeading(Vec3 local, float headingDegrees) {
    float h = radians(headingDegrees);
    auto c = static_cast<float>(portableCos(h));
    auto s = static_cast<float>(portableSin(h));
    return {local.x * c - local.y * s, local.x * s + local.y * c, local.z};
}

float distanceSquared(Vec3 a, Vec3 b) {
    float dx = a.x - b.x;
    float dy = a.y - b.y;
    float dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

} // namespace sim
