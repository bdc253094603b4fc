#include "soak/world_faults.h"
#include "drag/drag_assets.h"

#include "deferred/deferred_actions.h"
#include "drag/drag_state.h"
#include "settings/settings.h"
#include "sim/host.h"
#include "sim/world/geometry.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "soak/body_oracle.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace soak {

namespace {

constexpr const char* Dicts[] = {assets::PickupDict, assets::PutdownDict, assets::DragClipDict};
constexpr std::uint32_t BodyParts[] = {3, 4, 6, 7, 9, 10, 12, 13};

const char* stateName(DragPhase phase) {
    constexpr const char* names[] = {"Idle", "PickingUp", "Dragging", "PuttingDown"};
    return names[static_cast<int>(phase)];
}

bool quiet() {
    return DragState.state == DragPhase::Idle && DeferredActions.main.empty() &&
           DeferredActions.pending.empty();
}

} // namespace

std::string WorldFaults::where() const {
    return std::string(monitor_.waiting() ? "during a dictionary wait in " : "in ") +
           stateName(DragState.state);
}

void WorldFaults::setUp() {
    sim::World& w = sim::world();
    // Close below the signed wrap, so that every run crosses it early on.
    w.gameTimeMs = 0x80000000u - static_cast<std::uint32_t>(rng_.between(1000, 120000));
    w.defaultDictLoadFrames = rng_.between(0, 3);
    for (const char* dict : Dicts) {
        sim::setDictLoadFrames(dict, rng_.between(0, 6));
    }
    for (int i = 0; i < 3; ++i) {
        spawnNear(true);
        spawnNear(false);
    }
}

void WorldFaults::step() {
    runTimer();
    churnDictionaries();
    keepBodiesNear();
    changePeds();
    changeTarget();
    changeList();
    runCrowd();
    collectDeleted();
}

void WorldFaults::runTimer() {
    sim::World& w = sim::world();
    w.frameTimeMs = rng_.chance(0.01) ? rng_.pick({0u, 250u, 1000u})
                                      : rng_.pick({1u, 16u, 33u, 33u, 33u, 33u, 50u, 100u});
    // Fast forward to just before the next wrap, signed or unsigned, while
    // nothing is under way, so that later drags straddle it.
    if (quiet() && !monitor_.waiting() && rng_.chance(0.0005)) {
        const std::uint64_t now = w.gameTimeMs;
        const std::uint64_t lead = static_cast<std::uint64_t>(rng_.between(100, 4000));
        for (std::uint64_t wrap : {0x80000000ull, 0x100000000ull}) {
            if (wrap - lead > now) {
                w.gameTimeMs = static_cast<std::uint32_t>(wrap - lead);
                ++stats_.faults["timer run on to just before a wrap"];
                break;
            }
        }
    }
    // A follow-up scheduled just before the signed wrap and first examined
    // after it waits for most of the timer's range: run the timer on to it.
    const FollowUp& followUp = monitor_.followUp();
    const auto now = static_cast<std::int32_t>(w.gameTimeMs);
    if (followUp.active && static_cast<std::int64_t>(followUp.due) - now > 600000) {
        if (++stuckFrames_ > 200) {
            w.gameTimeMs = static_cast<std::uint32_t>(followUp.due);
            ++stats_.faults["timer run on to a follow-up that waits across the wrap"];
            stuckFrames_ = 0;
        }
    } else {
        stuckFrames_ = 0;
    }
}

void WorldFaults::churnDictionaries() {
    if (monitor_.waiting() || !rng_.chance(0.004)) {
        return;
    }
    const char* dict = Dicts[rng_.below(3)];
    sim::world().dicts.erase(dict);
    sim::setDictLoadFrames(dict, rng_.pick({0, 1, 2, 3, 5, 8, 15}));
    count("dictionary unloaded, slow to load again");
}

std::int32_t WorldFaults::spawnNear(bool dead) {
    const sim::Ped& player = sim::playerPed();
    const float reach = std::max(0.4f, std::fabs(Settings.DetectionRadius) * 0.95f);
    const float distance = rng_.range(0.1f, std::min(reach, 4.0f));
    const float angle = rng_.range(0.0f, 6.2831853f);
    const sim::Vec3 at{player.position.x + distance * std::cos(angle),
                       player.position.y + distance * std::sin(angle), player.position.z};
    const float heading = rng_.range(-720.0f, 720.0f);
    const std::int32_t handle = dead ? sim::addBody(at, heading) : sim::addPed(at, heading);
    sim::Ped& ped = sim::ped(handle);
    ped.promptGroup = rng_.chance(0.5) ? -1 : rng_.between(1, 40);
    for (std::uint32_t part : BodyParts) {
        ped.flaggedParts.set(part, rng_.chance(0.15));
    }
    peds_.push_back(handle);
    return handle;
}

void WorldFaults::keepBodiesNear() {
    if (DragState.state == DragPhase::Idle && rng_.chance(0.08) &&
        expectedBody(Settings.DetectionRadius) == 0) {
        spawnNear(true);
        count("body appeared near the player");
    }
}

std::int32_t WorldFaults::anyPed() {
    while (!peds_.empty()) {
        const std::size_t i = rng_.below(peds_.size());
        if (sim::livePed(peds_[i]) != nullptr) {
            return peds_[i];
        }
        peds_.erase(peds_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return 0;
}

void WorldFaults::remove(std::int32_t handle, bool keepListed, const std::string& kind) {
    sim::deletePed(handle, keepListed);
    monitor_.noteDeleted(handle);
    std::erase(peds_, handle);
    gone_.emplace_back(sim::host().frame, handle);
    count(kind);
}

void WorldFaults::changePeds() {
    if (rng_.chance(0.01)) {
        spawnNear(false);
        count("ped appeared");
    }
    const std::int32_t handle = anyPed();
    if (handle == 0) {
        return;
    }
    sim::Ped& p = sim::ped(handle);
    const auto& player = sim::playerPed();
    const double r = static_cast<double>(rng_.unit());
    // One change at most per frame, each with its own share.
    if (r < 0.008) {
        p.dead = true;
        count("ped died");
    } else if (r < 0.012) {
        p.dead = p.incapacitated = p.limp = p.configFlag11 = false;
        p.limpLeftMs = 0;
        count("ped woke up");
    } else if (r < 0.015) {
        p.incapacitated = !p.incapacitated;
        count("ped incapacitated or not");
    } else if (r < 0.018) {
        p.limpLeftMs = static_cast<std::uint32_t>(rng_.between(1, 3000));
        count("ped limp for a time");
    } else if (r < 0.020) {
        p.limp = !p.limp;
        count("ped limp for good or not");
    } else if (r < 0.022) {
        p.configFlag11 = !p.configFlag11;
        count("ped config flag 11 toggled");
    } else if (r < 0.025) {
        p.ridingMount = !p.ridingMount;
        count("ped mounted or dismounted");
    } else if (r < 0.028) {
        p.inVehicle = !p.inVehicle;
        count("ped entered or left a vehicle");
    } else if (r < 0.029) {
        p.isPlayer = !p.isPlayer;
        count("ped became another player or not");
    } else if (r < 0.033) {
        const std::int32_t other = anyPed();
        p.attachedTo = rng_.pick({0, player.handle, player.mount, other});
        count("ped attached to something or let go");
    } else if (r < 0.037) {
        const float far = rng_.chance(0.5) ? 30.0f : 1.0f;
        p.position.x = player.position.x + rng_.range(-far, far);
        p.position.y = player.position.y + rng_.range(-far, far);
        count("ped moved");
    } else if (r < 0.043) {
        remove(handle, rng_.chance(0.5), "ped vanished");
    } else if (r < 0.048) {
        placeOnEdge(p);
    } else if (peds_.size() > 40 ||
               (r < 0.1 && sim::distanceSquared(p.position, player.position) > 15.0f * 15.0f)) {
        if (handle != DragState.target) {
            remove(handle, false, "ped left the area");
        }
    }
}

// Ties the search must break one way: a body exactly where another lies (the
// earlier in the list wins), or exactly on the detection radius (outside).
void WorldFaults::placeOnEdge(const sim::Ped& near) {
    const sim::Ped& player = sim::playerPed();
    sim::Vec3 at = near.position;
    const char* kind = "body placed exactly where another lies";
    if (rng_.chance(0.5)) {
        const float radius = std::fabs(Settings.DetectionRadius);
        at = {player.position.x + radius, player.position.y, player.position.z};
        if (sim::distanceSquared(at, player.position) != radius * radius) {
            return;
        }
        kind = "body placed exactly on the detection radius";
    }
    sim::ped(sim::addBody(at)).promptGroup = rng_.chance(0.5) ? -1 : rng_.between(1, 40);
    peds_.push_back(sim::world().listed.back());
    count(kind);
}

void WorldFaults::changeTarget() {
    const std::int32_t target = DragState.target;
    sim::Ped* body = target != 0 ? sim::livePed(target) : nullptr;
    if (body == nullptr) {
        return;
    }
    const double p = monitor_.waiting() ? 0.05 : 0.002;
    if (rng_.chance(p)) {
        remove(target, rng_.chance(0.5), "held body deleted " + where());
    } else if (rng_.chance(p)) {
        body->dead = body->incapacitated = body->limp = body->configFlag11 = false;
        body->limpLeftMs = 0;
        count("held body woke up " + where());
    } else if (rng_.chance(p / 2)) {
        body->position.x += rng_.range(-40.0f, 40.0f);
        count("held body moved away " + where());
    } else if (rng_.chance(p / 2)) {
        body->attachedTo = anyPed();
        count("held body attached to another ped " + where());
    }
}

void WorldFaults::changeList() {
    sim::World& w = sim::world();
    if (rng_.chance(0.01)) {
        const auto at =
            w.listed.begin() + static_cast<std::ptrdiff_t>(rng_.below(w.listed.size() + 1));
        switch (rng_.below(5)) {
        case 0:
            w.listed.insert(at, 0);
            count("stale handle listed: 0");
            break;
        case 1:
            w.listed.insert(at, nextNeverMade_++);
            count("stale handle listed: never made");
            break;
        case 2:
            w.listed.insert(at, w.player);
            count("stale handle listed: the player again");
            break;
        case 3:
            if (!gone_.empty()) {
                w.listed.insert(at, gone_[rng_.below(gone_.size())].second);
                count("stale handle listed: deleted ped");
            }
            break;
        default:
            if (const std::int32_t handle = anyPed(); handle != 0) {
                w.listed.insert(at, handle);
                count("ped listed twice");
            }
            break;
        }
    }
    if (rng_.chance(0.002)) {
        w.overReportCount = !w.overReportCount;
        count("ped list count over-reported or not");
    }
    if (w.listed.size() > 2 && rng_.chance(0.005)) {
        std::swap(w.listed[rng_.below(w.listed.size())], w.listed[rng_.below(w.listed.size())]);
        count("ped list reordered");
    }
    if (rng_.chance(0.02) && crowd_.empty()) {
        // The game's list moves on: stale entries drop out, and so do duplicates.
        std::unordered_set<std::int32_t> seen;
        std::erase_if(w.listed, [&](std::int32_t h) {
            return h == 0 || sim::livePed(h) == nullptr || !seen.insert(h).second;
        });
    }
}

void WorldFaults::runCrowd() {
    sim::World& w = sim::world();
    if (crowd_.empty()) {
        if (!rng_.chance(0.0002)) {
            return;
        }
        const int size = rng_.between(1025, 1400);
        for (int i = 0; i < size; ++i) {
            const float angle = rng_.range(0.0f, 6.2831853f);
            crowd_.push_back(
                sim::addPed({200.0f * std::cos(angle), 200.0f * std::sin(angle), 0.0f}));
        }
        // addPed lists each at the end; half the crowds go first instead, so
        // that the bodies near the player fall beyond the first 1024.
        if (rng_.chance(0.5)) {
            std::rotate(w.listed.begin(), w.listed.end() - size, w.listed.end());
        }
        crowdFramesLeft_ = rng_.between(2, 10);
        count("more than 1024 peds listed");
        return;
    }
    if (--crowdFramesLeft_ > 0) {
        return;
    }
    const std::unordered_set<std::int32_t> leaving(crowd_.begin(), crowd_.end());
    std::erase_if(w.listed, [&](std::int32_t h) { return leaving.contains(h); });
    for (std::int32_t handle : crowd_) {
        w.peds.erase(handle);
    }
    crowd_.clear();
}

// Peds deleted long ago leave the world's records for good, so that long runs
// stay small; the monitor then treats any use of their handle as a fault.
void WorldFaults::collectDeleted() {
    sim::World& w = sim::world();
    while (!gone_.empty() && gone_.front().first + 300 < sim::host().frame) {
        const std::int32_t handle = gone_.front().second;
        if (handle == DragState.target) {
            break;
        }
        std::erase(w.listed, handle);
        w.peds.erase(handle);
        monitor_.forgetDeleted(handle);
        gone_.pop_front();
    }
}

} // namespace soak
