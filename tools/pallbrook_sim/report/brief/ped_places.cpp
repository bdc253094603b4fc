#include "report/brief/ped_places.h"

#include "drag/drag_assets.h"
#include "plugin/natives.h"
#include "sim/world/geometry.h"

namespace simtool {

namespace {

namespace n = natives;

sim::Vec3 middle(const sim::Vec3& a, const sim::Vec3& b) {
    return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
}

const sim::Ped* worldPed(std::int32_t handle) {
    const auto& peds = sim::world().peds;
    auto found = peds.find(handle);
    return found != peds.end() && found->second.exists ? &found->second : nullptr;
}

} // namespace

void PedPlaces::onCall(const sim::NativeCall& call) {
    if (!fromCalls_) {
        return;
    }
    const sim::NativeArgs& args = call.args;
    const std::int64_t frame = sim::world().frame;
    const auto answer = [&call] { return call.result.i32() != 0; };
    switch (call.hash) {
    case n::PlayerPed:
        player_ = call.result.i32();
        break;
    case n::EntityPosition:
    case n::SetEntityPosition: {
        Told& ped = told_[args.i32(0)];
        ped.position = call.hash == n::EntityPosition
                           ? sim::Vec3{call.result.f32(0), call.result.f32(1), call.result.f32(2)}
                           : sim::Vec3{args.f32(1), args.f32(2), args.f32(3)};
        ped.positionFrame = frame;
        break;
    }
    case n::SetEntityHeading:
        told_[args.i32(0)].heading = args.f32(1);
        break;
    case n::IsDead:
        told_[args.i32(0)].dead = answer();
        break;
    case n::IsIncapacitated:
        told_[args.i32(0)].incapacitated = answer();
        break;
    case n::IsLimp:
        told_[args.i32(0)].limp = answer();
        break;
    case n::PedBonePosition:
        toldBone(args.i32(0), args.i32(1),
                 {call.result.f32(0), call.result.f32(1), call.result.f32(2)});
        break;
    case n::PinBoneToPoint:
        toldPin(args.i32(0), {args.f32(2), args.f32(3), args.f32(4)});
        break;
    default:
        break;
    }
}

void PedPlaces::toldBone(std::int32_t handle, std::int32_t tag, sim::Vec3 at) {
    Told& ped = told_[handle];
    ped.bones[tag] = at;
    const auto bone = [&ped](std::int32_t t) { return ped.bones.find(t); };
    const auto leftHand = bone(assets::LeftHandBone);
    const auto rightHand = bone(assets::RightHandBone);
    if (leftHand == ped.bones.end() || rightHand == ped.bones.end()) {
        return;
    }
    const sim::Vec3 hands = middle(leftHand->second, rightHand->second);
    const std::int64_t frame = sim::world().frame;
    if (handle == player()) {
        // The player's hands in a frame that told no position: a dragging one.
        if (ped.positionFrame != frame &&
            (tag == assets::LeftHandBone || tag == assets::RightHandBone)) {
            ped.position = hands;
        }
        return;
    }
    const auto leftFoot = bone(assets::LeftFootBone);
    const auto rightFoot = bone(assets::RightFootBone);
    if (leftFoot != ped.bones.end() && rightFoot != ped.bones.end()) {
        const sim::Vec3 feet = middle(leftFoot->second, rightFoot->second);
        ped.heading = sim::headingOf(hands.x - feet.x, hands.y - feet.y);
    }
}

void PedPlaces::toldPin(std::int32_t handle, sim::Vec3 at) {
    Told& ped = told_[handle];
    const std::int64_t frame = sim::world().frame;
    if (ped.pinFrame != frame) {
        ped.pinFrame = frame;
        ped.pinSum = {};
        ped.pins = 0;
    }
    ped.pinSum = {ped.pinSum.x + at.x, ped.pinSum.y + at.y, ped.pinSum.z + at.z};
    ++ped.pins;
    const float share = 1.0f / static_cast<float>(ped.pins);
    ped.position = sim::Vec3{ped.pinSum.x * share, ped.pinSum.y * share, ped.pinSum.z * share};
}

std::int32_t PedPlaces::player() const {
    return player_ != 0 ? player_ : sim::world().player;
}

std::optional<sim::Vec3> PedPlaces::position(std::int32_t handle) const {
    if (!fromCalls_) {
        const sim::Ped* ped = worldPed(handle);
        return ped != nullptr ? std::optional(ped->position) : std::nullopt;
    }
    auto found = told_.find(handle);
    return found != told_.end() ? found->second.position : std::nullopt;
}

std::optional<float> PedPlaces::heading(std::int32_t handle) const {
    if (!fromCalls_) {
        const sim::Ped* ped = worldPed(handle);
        return ped != nullptr ? std::optional(ped->heading) : std::nullopt;
    }
    auto found = told_.find(handle);
    return found != told_.end() ? found->second.heading : std::nullopt;
}

bool PedPlaces::lying(std::int32_t handle) const {
    if (!fromCalls_) {
        const sim::Ped* ped = worldPed(handle);
        return ped != nullptr && (ped->dead || ped->incapacitated || ped->limp);
    }
    auto found = told_.find(handle);
    return found != told_.end() &&
           (found->second.dead || found->second.incapacitated || found->second.limp);
}

std::vector<std::int32_t> PedPlaces::known() const {
    std::vector<std::int32_t> handles;
    if (!fromCalls_) {
        for (const auto& [handle, ped] : sim::world().peds) {
            if (ped.exists) {
                handles.push_back(handle);
            }
        }
        return handles;
    }
    for (const auto& [handle, told] : told_) {
        if (told.position) {
            handles.push_back(handle);
        }
    }
    return handles;
}

} // namespace simtool
