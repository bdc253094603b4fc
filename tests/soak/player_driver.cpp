#include "soak/player_driver.h"
#include "drag/drag_assets.h"

#include "drag/drag_state.h"
#include "settings/control_hash.h"
#include "settings/settings.h"
#include "sim/world/scene.h"
#include "sim/world/text_hash.h"
#include "sim/world/world.h"

#include <string>

namespace soak {

namespace {

enum ConditionKind {
    Dead,
    Mounted,
    Falling,
    ConditionTest,
    Swimming,
    InVehicle,
    Incapacitated,
    ConditionValueOne,
    ConditionValueTwo,
    ConditionTestB,
    ConfigFlag11,
    LimpForGood,
    LimpForATime,
    Carrying,
    ConditionKinds
};

constexpr const char* ConditionNames[] = {"player died",
                                          "player mounted",
                                          "player falling",
                                          "player condition test 1",
                                          "player swimming",
                                          "player in a vehicle",
                                          "player incapacitated",
                                          "player condition value 1",
                                          "player condition value 2",
                                          "player condition test 2",
                                          "player config flag 11",
                                          "player limp for good",
                                          "player limp for a time",
                                          "player carrying something"};
static_assert(std::size(ConditionNames) == ConditionKinds);

constexpr const char* StateNames[] = {"Idle", "PickingUp", "Dragging", "PuttingDown"};

constexpr std::uint32_t Aim = controlHash("INPUT_AIM");
constexpr std::uint32_t MoveKeys[] = {
    controlHash("INPUT_MOVE_LEFT_ONLY"), controlHash("INPUT_MOVE_RIGHT_ONLY"),
    controlHash("INPUT_MOVE_UP_ONLY"), controlHash("INPUT_MOVE_DOWN_ONLY"),
    controlHash("INPUT_SPRINT")};
constexpr std::uint32_t StickX = controlHash("INPUT_MOVE_LR");
constexpr std::uint32_t StickY = controlHash("INPUT_MOVE_UD");

bool busy() {
    return DragState.state == DragPhase::PickingUp || DragState.state == DragPhase::Dragging;
}

} // namespace

void PlayerDriver::step() {
    runConditions();
    usePromptControl();
    aimAndSteer();
}

void PlayerDriver::setCondition(int kind, bool on) {
    sim::Ped& p = sim::playerPed();
    switch (kind) {
    case Dead:
        p.dead = on;
        break;
    case Mounted:
        p.ridingMount = on;
        if (on && p.mount == 0) {
            p.mount = sim::addPed({p.position.x + 1.0f, p.position.y, p.position.z});
        }
        break;
    case Falling:
        p.falling = on;
        break;
    case ConditionTest:
        p.conditionTest = on;
        break;
    case Swimming:
        p.swimming = on;
        break;
    case InVehicle:
        p.inVehicle = on;
        break;
    case Incapacitated:
        p.incapacitated = on;
        break;
    case ConditionValueOne:
        p.conditionValue = on ? 1 : 0;
        break;
    case ConditionValueTwo:
        p.conditionValue = on ? 2 : 0;
        break;
    case ConditionTestB:
        p.conditionTestB = on;
        break;
    case ConfigFlag11:
        p.configFlag11 = on;
        break;
    case LimpForGood:
        p.limp = on;
        break;
    case LimpForATime:
        p.limpLeftMs = on ? static_cast<std::uint32_t>(rng_.between(1, 2000)) : p.limpLeftMs;
        break;
    case Carrying:
        p.carrying = on;
        break;
    default:
        break;
    }
}

void PlayerDriver::runConditions() {
    for (auto& c : conditions_) {
        if (--c.framesLeft == 0) {
            setCondition(c.kind, false);
        }
    }
    std::erase_if(conditions_, [](const Condition& c) { return c.framesLeft <= 0; });
    if (rng_.chance(busy() ? 0.004 : 0.0015)) {
        const int kind = static_cast<int>(rng_.below(ConditionKinds));
        setCondition(kind, true);
        conditions_.push_back({kind, rng_.between(1, 60)});
        ++stats_.faults[std::string(ConditionNames[kind]) + " in " +
                        StateNames[static_cast<int>(DragState.state)]];
    }
    if (rng_.chance(0.0005)) {
        sim::Ped& p = sim::playerPed();
        p.position.x += rng_.range(-30.0f, 30.0f);
        p.position.y += rng_.range(-30.0f, 30.0f);
        ++stats_.faults["player moved away"];
    }
}

// Mostly holds the control while a prompt stands, long enough for drags to
// happen; lets go early now and then, and holds it again.
void PlayerDriver::usePromptControl() {
    if (control_ != Settings.DragInput) {
        sim::releaseControl(control_);
        control_ = Settings.DragInput;
        holding_ = false;
    }
    const int state = static_cast<int>(DragState.state);
    const bool stateChanged = state != lastState_;
    lastState_ = state;
    const bool prompt = sim::promptCount() > 0;
    if (holding_) {
        if (rng_.chance(0.015) || (stateChanged && rng_.chance(0.6))) {
            sim::releaseControl(control_);
            holding_ = false;
            input("prompt control released");
        }
        return;
    }
    const double press = !prompt ? 0.005 : DragState.state == DragPhase::Dragging ? 0.03 : 0.2;
    if (rng_.chance(press)) {
        sim::holdControl(control_);
        holding_ = true;
        input(prompt ? "prompt control held on a prompt" : "prompt control held, no prompt");
    }
}

void PlayerDriver::aimAndSteer() {
    sim::World& w = sim::world();
    if (rng_.chance(0.03)) {
        if (w.controls[Aim].held) {
            sim::releaseControl(Aim);
            input("aim off");
        } else {
            sim::holdControl(Aim);
            input("aim on");
        }
    }
    if (rng_.chance(0.01)) {
        sim::Ped& p = sim::playerPed();
        p.weapons[0] = sim::textKeyHash(
            rng_.pick({assets::UnarmedWeapon, "WEAPON_REVOLVER_CATTLEMAN", "WEAPON_PISTOL_MAUSER",
                       "WEAPON_RIFLE_SPRINGFIELD", "WEAPON_REVOLVER_LEMAT"}));
        p.weapons[1] =
            rng_.chance(0.2)
                ? 0u
                : sim::textKeyHash(rng_.pick({assets::UnarmedWeapon, "WEAPON_REVOLVER_SCHOFIELD"}));
        input("weapons changed");
    }
    if (rng_.chance(0.005)) {
        w.keyboardAndMouse = !w.keyboardAndMouse;
        input(w.keyboardAndMouse ? "switched to keyboard" : "switched to the stick");
    }
    for (std::uint32_t key : MoveKeys) {
        if (rng_.chance(0.04)) {
            if (w.controls[key].held) {
                sim::releaseControl(key);
            } else {
                sim::holdControl(key);
            }
            input("movement key pressed or let go");
        }
        if (rng_.chance(0.002)) {
            sim::setControlDisabled(key, !w.controls[key].disabled);
            input("movement key disabled or enabled");
        }
    }
    if (rng_.chance(0.05)) {
        for (std::uint32_t axis : {StickX, StickY}) {
            sim::setControlValue(axis, rng_.chance(0.5)
                                           ? rng_.range(-1.0f, 1.0f)
                                           : rng_.pick({-1.0f, -0.15f, 0.0f, 0.15f, 0.151f, 1.0f}));
        }
        input("stick moved");
    }
}

} // namespace soak
