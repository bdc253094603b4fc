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

void playerPed(const NativeArgs&, NativeResult& result) {
    result.setI32(world().player);
}

void entityExists(const NativeArgs& args, NativeResult& result) {
    result.setBool(livePed(args.i32(0)) != nullptr);
}

void isPlayer(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.isPlayer; });
}

void isDead(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.dead; });
}

void isRidingMount(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.ridingMount; });
}

void isFalling(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.falling; });
}

void isSwimming(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.swimming; });
}

void isInVehicle(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.inVehicle; });
}

void isIncapacitated(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.incapacitated; });
}

void isLimp(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return sim::isLimp(p); });
}

void isCarrying(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.carrying; });
}

void conditionTest(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.conditionTest; });
}

void conditionValue(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->conditionValue : 0);
}

void conditionTestB(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.conditionTestB; });
}

// (ped, flag, 1): the world keeps only flag 11.
void configFlag(const NativeArgs& args, NativeResult& result) {
    bool eleven = args.i32(1) == 11;
    askPed(args, result, [eleven](const Ped& p) { return eleven && p.configFlag11; });
}

void mountOf(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->mount : 0);
}

void isAttached(const NativeArgs& args, NativeResult& result) {
    askPed(args, result, [](const Ped& p) { return p.attachedTo != 0; });
}

void isAttachedTo(const NativeArgs& args, NativeResult& result) {
    std::int32_t other = args.i32(1);
    askPed(args, result,
           [other](const Ped& p) { return p.attachedTo != 0 && p.attachedTo == other; });
}

void attachedTo(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->attachedTo : 0);
}

// (body, part number): parts outside 0 to 31 are never flagged.
void bodyPartFlagged(const NativeArgs& args, NativeResult& result) {
    std::int32_t part = args.i32(1);
    askPed(args, result, [part](const Ped& p) {
        return part >= 0 && part < 32 && p.flaggedParts.test(static_cast<std::size_t>(part));
    });
}

void promptGroupOf(const NativeArgs& args, NativeResult& result) {
    const Ped* ped = pedArg(args, 0);
    result.setI32(ped != nullptr ? ped->promptGroup : -1);
}

} // namespace sim::answers
