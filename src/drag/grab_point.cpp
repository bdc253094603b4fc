#include "drag/grab_point.h"

#include "drag/anim_calls.h"
#include "drag/drag_prompt.h"
#include "drag/drag_state.h"
#include "plugin/natives.h"
#include "settings/settings.h"

#include <cmath>

namespace {

constexpr int GrabPointCount = 4;

struct Point {
    float x, y, z;
};

Point midpoint(const Vector3& a, const Vector3& b) {
    return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
}

float snapDistance(std::int32_t grabPoint) {
    switch (grabPoint) {
    case 0:
        return Settings.SnapDistFeet;
    case 1:
        return Settings.SnapDistHead;
    default:
        return Settings.SnapDistFeet * 0.7f;
    }
}

} // namespace

void placePlayerForPickup(EntityHandle player, EntityHandle body) {
    const auto origin = callNative<Vector3>(natives::EntityPosition, player, 0, 0);

    GripBonePair pairs[GrabPointCount];
    for (int k = 0; k < GrabPointCount; ++k) {
        pairs[k] = gripBones(body, k);
    }
    Vector3 bones[GrabPointCount][2];
    for (int k = 0; k < GrabPointCount; ++k) {
        bones[k][0] = getPedBonePosition(body, pairs[k].a);
        bones[k][1] = getPedBonePosition(body, pairs[k].b);
    }
    float distances[GrabPointCount];
    for (int k = 0; k < GrabPointCount; ++k) {
        const Point m = midpoint(bones[k][0], bones[k][1]);
        distances[k] = distanceSquared(origin.x, origin.y, origin.z, m.x, m.y, m.z);
    }
    std::int32_t chosen = 0;
    float best = distances[0];
    for (int k = 1; k < GrabPointCount; ++k) {
        if (distances[k] < best) {
            chosen = k;
            best = distances[k];
        }
    }
    DragState.grabPoint = chosen;

    const GripBonePair grip = gripBones(body, chosen);
    DragState.gripBoneA = grip.a;
    DragState.gripBoneB = grip.b;
    const Vector3 boneA = getPedBonePosition(body, grip.a);
    const Vector3 boneB = getPedBonePosition(body, grip.b);
    const Point m = midpoint(boneA, boneB);

    // Only the horizontal plane counts for where the player stands.
    const float dx = origin.x - m.x;
    const float dy = origin.y - m.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.01f) {
        const float snap = snapDistance(chosen);
        const float x = (1.0f / length) * dx * snap + m.x;
        const float y = (1.0f / length) * dy * snap + m.y;
        float groundZ = origin.z;
        callNative(natives::GroundHeight, x, y, origin.z + 2.0f, &groundZ, 0);
        setEntityPosition(player, x, y, groundZ);
    }

    DragState.heading = callNative<float>(natives::HeadingOfDirection, -dx, -dy);
    callNative(natives::SetEntityHeading, player, DragState.heading);
}
