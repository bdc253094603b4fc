// The world between two frames of the script: time moves on, and the peds
// move as their clips and pins make them.
#include "sim/world/anim.h"
#include "sim/world/geometry.h"
#include "sim/world/skeleton.h"
#include "sim/world/world.h"

#include "sim/host.h"

#include <algorithm>

namespace sim {

namespace {

// Puts the ped on the ground under it, where there is ground.
void settle(Ped& ped) {
    const World& w = world();
    if (!w.ground) {
        return;
    }
    if (std::optional<float> height = w.ground(ped.position.x, ped.position.y)) {
        ped.position.z = *height;
    }
}

// A clip that walks (the drag clip) moves its ped along its heading by its
// walk rate times its playback speed.
void walkByClip(Ped& ped, float seconds) {
    if (!ped.clip.active || ped.frozen) {
        return;
    }
    float distance = clipWalkRate(ped.clip) * ped.clip.speed * seconds;
    if (distance == 0.0f) {
        return;
    }
    Vec3 ahead = forwardOf(ped.heading);
    ped.position.x += ahead.x * distance;
    ped.position.y += ahead.y * distance;
    settle(ped);
}

// A pinned body slides over the ground so that the average of its pinned
// bones comes over the average of the pin points; it stays on the ground.
void followPins(Ped& ped) {
    if (ped.pins.empty() || ped.frozen) {
        return;
    }
    Vec3 bones;
    Vec3 points;
    for (const Pin& pin : ped.pins) {
        Vec3 bone = bonePositionAt(ped, pin.boneIndex).value_or(ped.position);
        bones.x += bone.x;
        bones.y += bone.y;
        points.x += pin.point.x;
        points.y += pin.point.y;
    }
    auto count = static_cast<float>(ped.pins.size());
    ped.position.x += (points.x - bones.x) / count;
    ped.position.y += (points.y - bones.y) / count;
    settle(ped);
}

void runLimpTimer(Ped& ped, std::uint32_t dtMs) {
    ped.limpLeftMs -= std::min(ped.limpLeftMs, dtMs);
}

} // namespace

World& world() {
    static World theWorld;
    return theWorld;
}

Ped* livePed(std::int32_t handle) {
    auto found = world().peds.find(handle);
    return found != world().peds.end() && found->second.exists ? &found->second : nullptr;
}

bool isLimp(const Ped& ped) {
    return ped.limp || ped.limpLeftMs > 0;
}

void stepWorld() {
    World& w = world();
    ++w.frame;
    w.gameTimeMs += w.frameTimeMs;
    host().tickCount += w.frameTimeMs;
    w.strings.clear();
    w.shownThisFrame.clear();

    float seconds = static_cast<float>(w.frameTimeMs) / 1000.0f;
    for (auto& [handle, ped] : w.peds) {
        if (ped.exists) {
            walkByClip(ped, seconds);
        }
    }
    for (auto& [handle, ped] : w.peds) {
        if (ped.exists) {
            followPins(ped);
        }
    }
    for (auto& [handle, ped] : w.peds) {
        if (ped.exists) {
            runClip(ped.clip, w.frameTimeMs);
            runLimpTimer(ped, w.frameTimeMs);
        }
    }
}

} // namespace sim
