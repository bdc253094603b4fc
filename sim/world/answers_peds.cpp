// Who the peds are and what state they are in. A handle that names no ped
// that exists answers 0 (and is noted by pedArg).
#include "sim/world/answer_support.h"
#include "sim/world/answers.h"

namespace sim::answers {

namespace {

// Answers a yes-or-no question about the ped in the first word.
template <class Test> void askPed(const NativeArgs& args, NativeResult& result, Test test) {
    const Ped* ped = pedArg(args, 0);
    result.setBool(ped != nullptr && test(*ped));
}

} // namespace

void PlayerPed(const NativeArgs&, NativeResult& result) {
    result.setI32(world().player);
}

void EntityExists(const NativeArgs& args, NativeResult& result) {
    result.setBool(livePed(args.i32(0)) != nullptr);
}

void IsPlayer(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.isPlayer; });
}

void IsDead(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.dead; });
}

void IsRidingMount(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.ridingMount; });
}

void IsFalling(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.falling; });
}

void IsSwimming(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.swimming; });
}

void IsInAnyVehicle(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.inVehicle; });
}

void IsIncapacitated(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.incapacitated; });
}

void IsLimp(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return sim::isLimp(p); });
}

void IsCarrying(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.carrying; });
}

void PlayerConditionTest(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.conditionTest; });
}

void PlayerConditionValue(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->conditionValue : 0);
}

void PlayerConditionTestB(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.conditionTestB; });
}

// (ped, flag, 1): the world keeps only flag 11.
void PedConfigFlag(const NativeArgs& args, NativeResult& result) {
    bool eleven = args.i32(1) == 11;
    askPed(args, result, [eleven](const Ped& p) { return eleven && p.configFlag11; });
}

void MountOf(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->mount : 0);
}

void IsAttached(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.attachedTo != 0; });
}

void IsAttachedTo(const NativeArgs& args, NativeResult& result) {
    std::int32_t other = args.i32(1);
    askPed(args, result,
           [other](const Ped& p) { return p.attachedTo != 0 && p.attachedTo == other; });
}

void AttachedTo(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->attachedTo : 0);
}

// (body, part number): parts outside 0 to 31 are never flagged.
void BodyPartFlagged(const NativeArgs& args, NativeResult& result) {
    std::int32_t part = args.i32(1);
    askPed(args, result, [part](const Ped& p) {
        return part >= 0 && part < 32 && p.flaggedParts.test(static_cast<std::size_t>(part));
    });
}

void PromptGroupOf(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->promptGroup : -1);
}

} // namespace sim::answers
