// The game timer, the controls, the weapons a ped holds and text-key hashes.
#include "sim/world/answer_support.h"
#include "sim/world/answers.h"
#include "sim/world/text_hash.h"

#include "drag/drag_assets.h"

namespace sim::answers {

namespace {

const ControlState* control(const NativeArgs& args) {
    const World& w = world();
    auto found = w.controls.find(args.u32(1));
    return found != w.controls.end() ? &found->second : nullptr;
}

} // namespace

// () -> game time in ms, as a signed 32-bit number.
void GameTimer(const NativeArgs&, NativeResult& result) {
    result.setI32(static_cast<std::int32_t>(world().gameTimeMs));
}

// (0, control): held and not disabled.
void ControlPressed(const NativeArgs& args, NativeResult& result) {
    const ControlState* c = control(args);
    result.setBool(c != nullptr && c->held && !c->disabled);
}

// (0, control): held, disabled or not.
void ControlPressedWhileDisabled(const NativeArgs& args, NativeResult& result) {
    const ControlState* c = control(args);
    result.setBool(c != nullptr && c->held);
}

// (0, control) -> -1 to 1
void ControlValue(const NativeArgs& args, NativeResult& result) {
    const ControlState* c = control(args);
    result.setF32(c != nullptr ? c->value : 0.0f);
}

// (0)
void InputIsKeyboard(const NativeArgs&, NativeResult& result) {
    result.setBool(world().keyboardAndMouse);
}

// (ped, pointer to uint32, 1, slot, 1): writes the weapon in slot 0 or 1 (0
// for any other slot) and answers whether it is something other than bare
// hands.
void CurrentWeapon(const NativeArgs& args, NativeResult& result) {
    auto* out = args.slot<std::uint32_t>(1);
    if (out == nullptr) {
        reportError("current weapon: null pointer for the weapon");
        result.setBool(false);
        return;
    }
    const Ped* ped = pedArg(args, 0);
    std::uint32_t slot = args.u32(3);
    std::uint32_t weapon = ped != nullptr && slot < 2 ? ped->weapons[slot] : 0;
    *out = weapon;
    result.setBool(weapon != 0 && weapon != sim::textKeyHash(assets::UnarmedWeapon));
}

// (text) -> Jenkins one-at-a-time hash of the lower-cased text
void TextKeyHash(const NativeArgs& args, NativeResult& result) {
    result.setU32(sim::textKeyHash(textArg(args, 0)));
}

// (weapon hash)
void WeaponClassTestA(const NativeArgs& args, NativeResult& result) {
    result.setBool(world().weaponClassA.contains(args.u32(0)));
}

// (weapon hash)
void WeaponClassTestB(const NativeArgs& args, NativeResult& result) {
    result.setBool(world().weaponClassB.contains(args.u32(0)));
}

} // namespace sim::answers
