// Where things are, and how bodies are held: positions, headings, bones,
// pins, attachment, freezing, collision and the limp state.
#include "sim/world/answer_support.h"
#include "sim/world/answers.h"
#include "sim/world/geometry.h"
#include "sim/world/skeleton.h"

#include <algorithm>

namespace sim::answers {

// (entity, 0, 0) -> Vector3
void EntityPosition(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    Vec3 p = ped != nullptr ? ped->position : Vec3{};
    result.setVector(p.x, p.y, p.z);
}

// (entity, x, y, z, 0, 0, 0, 0)
void SetEntityPosition(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->position = {args.f32(1), args.f32(2), args.f32(3)};
    }
}

// (entity, degrees): kept as given.
void SetEntityHeading(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->heading = args.f32(1);
    }
}

// (dx, dy) -> degrees, 0 along +y, counter-clockwise.
void HeadingOfDirection(const NativeArgs& args, NativeResult& result) {
    result.setF32(headingOf(args.f32(0), args.f32(1)));
}

// (x1, y1, z1, x2, y2, z2) -> the square of the distance.
void DistanceSquared(const NativeArgs& args, NativeResult& result) {
    Vec3 a{args.f32(0), args.f32(1), args.f32(2)};
    Vec3 b{args.f32(3), args.f32(4), args.f32(5)};
    result.setF32(sim::distanceSquared(a, b));
}

// (x, y, z, pointer to float, 0): writes the ground height under (x, y) when
// there is ground there at or below z, and answers whether it did.
void GroundHeight(const NativeArgs& args, NativeResult& result) {
    auto* out = args.slot<float>(3);
    if (out == nullptr) {
        reportError("ground height: null pointer for the height");
        result.setBool(false);
        return;
    }
    const World& w = world();
    std::optional<float> height = w.ground ? w.ground(args.f32(0), args.f32(1)) : std::nullopt;
    bool found = height.has_value() && *height <= args.f32(2);
    if (found) {
        *out = *height;
    }
    result.setBool(found);
}

// (ped, tag) -> index, -1 for a tag the skeleton lacks.
void PedBoneIndex(const NativeArgs& args, NativeResult& result) {
    result.setI32(pedArg(args, 0) != nullptr ? boneIndexOf(args.i32(1)) : -1);
}

// (ped, tag, 0, 0, 0) -> Vector3; the ped's position for a tag it lacks.
void PedBonePosition(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    if (ped == nullptr) {
        result.setVector(0.0f, 0.0f, 0.0f);
        return;
    }
    Vec3 p = sim::bonePosition(*ped, args.i32(1)).value_or(ped->position);
    result.setVector(p.x, p.y, p.z);
}

// (entity, bone index, x, y, z, 0, 0, 0, strength, 1, 1, 1, 1, 1, 1, 1): a
// new pin of a bone replaces the old one; the step of the next frame moves
// the body.
void PinBoneToPoint(const NativeArgs& args, NativeResult&) {
    Ped* ped = pedArg(args, 0);
    if (ped == nullptr) {
        return;
    }
    std::int32_t index = args.i32(1);
    if (!bonePositionAt(*ped, index)) {
        reportError("pin bone to point: " + std::to_string(index) +
                    " is no bone index (a bone tag?)");
        return;
    }
    Pin pin{index, {args.f32(2), args.f32(3), args.f32(4)}, args.f32(8)};
    auto same = std::find_if(ped->pins.begin(), ped->pins.end(),
                             [index](const Pin& p) { return p.boneIndex == index; });
    if (same != ped->pins.end()) {
        *same = pin;
    } else {
        ped->pins.push_back(pin);
    }
}

// (entity, 1, 1): lets go of every pin and of what it is attached to.
void DetachEntity(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->pins.clear();
        ped->attachedTo = 0;
    }
}

// (entity, on)
void FreezeEntity(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->frozen = args.flag(1);
    }
}

// (a, b, 1): a stops colliding with b.
void NoCollisionBetween(const NativeArgs& args, NativeResult&) {
    Ped* a = pedArg(args, 0);
    Ped* b = pedArg(args, 1);
    if (a != nullptr && b != nullptr) {
        world().noCollision.insert({a->handle, b->handle});
    }
}

// (ped, shortest ms, longest ms, 1, 1, 1, 0): limp for the longest time,
// unless the ped may not go limp.
void MakePedLimp(const NativeArgs& args, NativeResult&) {
    Ped* ped = pedArg(args, 0);
    if (ped == nullptr || !ped->limpAllowed) {
        return;
    }
    std::int32_t ms = std::max(args.i32(1), args.i32(2));
    ped->limpLeftMs = std::max(ped->limpLeftMs, static_cast<std::uint32_t>(std::max(ms, 0)));
}

// (ped, allowed)
void AllowLimp(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->limpAllowed = args.flag(1);
    }
}

} // namespace sim::answers
