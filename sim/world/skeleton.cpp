#include "sim/world/skeleton.h"

#include "sim/world/geometry.h"

#include "drag/drag_assets.h"

#include <array>

namespace sim {

namespace {

constexpr std::array<Bone, 12> Bones = {{
    {assets::LeftFootBone, {-0.12f, 0.00f, 0.05f}}, // left foot
    {55120, {-0.12f, 0.00f, 0.45f}},                // left calf
    {65478, {-0.11f, 0.00f, 0.85f}},                // left thigh
    {assets::RightFootBone, {0.12f, 0.00f, 0.05f}}, // right foot
    {43312, {0.12f, 0.00f, 0.45f}},                 // right calf
    {6884, {0.11f, 0.00f, 0.85f}},                  // right thigh
    {assets::LeftHandBone, {-0.30f, 0.25f, 0.90f}}, // left hand
    {53675, {-0.28f, 0.12f, 1.05f}},                // left forearm
    {37873, {-0.22f, 0.00f, 1.35f}},                // left upper arm
    {assets::RightHandBone, {0.30f, 0.25f, 0.90f}}, // right hand
    {54187, {0.28f, 0.12f, 1.05f}},                 // right forearm
    {46065, {0.22f, 0.00f, 1.35f}},                 // right upper arm
}};

// Lying on its back with the head forward: what was up points ahead, what was
// ahead points up, and right and left change sides.
Vec3 lyingFromStanding(Vec3 s) {
    return {-s.x, s.z, 0.1f + 0.5f * s.y};
}

} // namespace

std::span<const Bone> skeleton() {
    return Bones;
}

std::int32_t boneIndexOf(std::int32_t tag) {
    for (std::size_t i = 0; i < Bones.size(); ++i) {
        if (Bones[i].tag == tag) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool liesFlat(const Ped& ped) {
    return ped.dead || ped.incapacitated || isLimp(ped);
}

std::optional<Vec3> bonePositionAt(const Ped& ped, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Bones.size()) {
        return std::nullopt;
    }
    Vec3 local = Bones[static_cast<std::size_t>(index)].standing;
    if (liesFlat(ped)) {
        local = lyingFromStanding(local);
    }
    Vec3 turned = rotateByHeading(local, ped.heading);
    return Vec3{ped.position.x + turned.x, ped.position.y + turned.y, ped.position.z + turned.z};
}

std::optional<Vec3> bonePosition(const Ped& ped, std::int32_t tag) {
    return bonePositionAt(ped, boneIndexOf(tag));
}

} // namespace sim
