#include "drag/body_search.h"

#include "drag/anim_calls.h"
#include "plugin/natives.h"
#include "settings/settings.h"

#include <algorithm>

namespace {

int pedList[PedListCapacity];

bool isCandidate(EntityHandle ped, EntityHandle player, EntityHandle mount) {
    using namespace natives;
    if (ped == 0 || ped == player) {
        return false;
    }
    if (!callNative<bool>(EntityExists, ped)) {
        return false;
    }
    if (callNative<bool>(IsPlayer, ped) || callNative<bool>(IsRidingMount, ped) ||
        callNative<bool>(IsInAnyVehicle, ped, 0)) {
        return false;
    }
    if (mount != 0 && callNative<bool>(IsAttachedTo, ped, mount)) {
        return false;
    }
    if (callNative<bool>(IsAttached, ped)) {
        const auto holder = callNative<EntityHandle>(AttachedTo, ped);
        if (holder != 0 && holder != player) {
            return false;
        }
    }
    // All four are asked, whatever the first ones answer.
    const bool dead = callNative<bool>(IsDead, ped);
    const bool incapacitated = callNative<bool>(IsIncapacitated, ped);
    const bool limp = callNative<bool>(IsLimp, ped);
    const bool flagged = isPedConfigFlagSet(ped);
    return dead || incapacitated || limp || flagged;
}

} // namespace

EntityHandle findNearestBody() {
    const float radius = Settings.DetectionRadius;
    float best = radius * radius;

    const auto player = callNative<EntityHandle>(natives::PlayerPed);
    const auto origin = callNative<Vector3>(natives::EntityPosition, player, 0, 0);
    // A host that over-reports must not make the search read past its buffer.
    const int count = std::min(worldGetAllPeds(pedList, PedListCapacity), PedListCapacity);
    const auto mount = callNative<EntityHandle>(natives::MountOf, player);

    EntityHandle result = 0;
    for (int i = 0; i < count; ++i) {
        const EntityHandle ped = pedList[i];
        if (!isCandidate(ped, player, mount)) {
            continue;
        }
        const auto where = callNative<Vector3>(natives::EntityPosition, ped, 0, 0);
        const float d2 = distanceSquared(origin.x, origin.y, origin.z, where.x, where.y, where.z);
        if (d2 < best) {
            best = d2;
            result = ped;
        }
    }
    return result;
}
