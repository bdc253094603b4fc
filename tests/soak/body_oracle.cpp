#include "soak/body_oracle.h"

#include "sim/world/geometry.h"
#include "sim/world/world.h"

#include <algorithm>

namespace soak {

namespace {

bool qualifies(const sim::Ped& ped, const sim::Ped& player) {
    if (ped.isPlayer || ped.ridingMount || ped.inVehicle) {
        return false;
    }
    if (player.mount != 0 && ped.attachedTo == player.mount) {
        return false;
    }
    if (ped.attachedTo != 0 && ped.attachedTo != player.handle) {
        return false;
    }
    return ped.dead || ped.incapacitated || sim::isLimp(ped) || ped.configFlag11;
}

} // namespace

std::int32_t expectedBody(float detectionRadius) {
    const sim::World& w = sim::world();
    const sim::Ped* player = sim::livePed(w.player);
    if (player == nullptr) {
        return 0;
    }
    float best = detectionRadius * detectionRadius;
    std::int32_t result = 0;
    const std::size_t count = std::min<std::size_t>(w.listed.size(), 1024);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t handle = w.listed[i];
        const sim::Ped* ped = handle == w.player ? nullptr : sim::livePed(handle);
        if (ped == nullptr || !qualifies(*ped, *player)) {
            continue;
        }
        const float d2 = sim::distanceSquared(player->position, ped->position);
        if (d2 < best) {
            best = d2;
            result = handle;
        }
    }
    return result;
}

bool playerBlocked() {
    const sim::Ped* p = sim::livePed(sim::world().player);
    return p != nullptr && (p->ridingMount || p->inVehicle || p->carrying);
}

const char* playerGuardFiring() {
    const sim::Ped* p = sim::livePed(sim::world().player);
    if (p == nullptr) {
        return "";
    }
    if (p->dead) {
        return "player dead";
    }
    if (p->ridingMount) {
        return "player mounted";
    }
    if (p->falling) {
        return "player falling";
    }
    if (p->conditionTest) {
        return "player condition test 1";
    }
    if (p->swimming) {
        return "player swimming";
    }
    if (p->inVehicle) {
        return "player in a vehicle";
    }
    if (p->incapacitated) {
        return "player incapacitated";
    }
    if (p->conditionValue == 1) {
        return "player condition value 1";
    }
    if (p->conditionTestB) {
        return "player condition test 2";
    }
    if (p->configFlag11) {
        return "player config flag 11";
    }
    return "";
}

} // namespace soak
