#include "play/world_setup.h"

#include "printing/format.h"
#include "printing/names.h"

#include "sim/world/scene.h"
#include "sim/world/world.h"

#include <set>
#include <stdexcept>

namespace simtool {

namespace {

std::int32_t handleOf(const std::string& name) {
    auto handle = pedNames().handle(name);
    if (!handle) {
        throw std::runtime_error("no ped is named \"" + name + "\" at this point of the scenario");
    }
    return *handle;
}

std::string point(const sim::Vec3& p) {
    return "(" + fixed(p.x, 2) + ", " + fixed(p.y, 2) + ", " + fixed(p.z, 2) + ")";
}

float groundAt(float x, float y) {
    const sim::World& w = sim::world();
    std::optional<float> height = w.ground ? w.ground(x, y) : std::nullopt;
    return height.value_or(0.0f);
}

// Applies the change and says what it changed.
std::string applyChange(sim::Ped& ped, const PedChange& change) {
    std::string said;
    auto say = [&said](const std::string& text) { said += (said.empty() ? "" : ", ") + text; };
    if (change.position) {
        ped.position = *change.position;
        if (!change.positionHasHeight) {
            ped.position.z = groundAt(ped.position.x, ped.position.y);
        }
        say("at " + point(ped.position));
    }
    if (change.heading) {
        ped.heading = *change.heading;
        say("heading " + shortest(ped.heading));
    }
    for (const PedChange::Flag& flag : change.flags) {
        ped.*flag.field = flag.on;
        say(flag.key + (flag.on ? "" : " off"));
    }
    if (change.conditionValue) {
        ped.conditionValue = *change.conditionValue;
        say("condition_value " + std::to_string(ped.conditionValue));
    }
    if (change.mount) {
        ped.mount = change.mount->empty() ? 0 : handleOf(*change.mount);
        say(change.mount->empty() ? "no mount" : "mount " + *change.mount);
    }
    if (change.attachedTo) {
        ped.attachedTo = change.attachedTo->empty() ? 0 : handleOf(*change.attachedTo);
        say(change.attachedTo->empty() ? "attached to nothing"
                                       : "attached to " + *change.attachedTo);
    }
    if (change.promptGroup) {
        ped.promptGroup = *change.promptGroup;
        say("prompt group " + std::to_string(ped.promptGroup));
    }
    if (change.flaggedParts) {
        ped.flaggedParts.reset();
        for (int part : *change.flaggedParts) {
            ped.flaggedParts.set(static_cast<std::size_t>(part));
        }
        say("flagged parts " + std::to_string(change.flaggedParts->size()));
    }
    for (std::size_t slot = 0; slot < 2; ++slot) {
        if (change.weapons[slot]) {
            ped.weapons[slot] = *change.weapons[slot];
            say("slot " + std::to_string(slot) + " " + weaponName(ped.weapons[slot]));
        }
    }
    return said;
}

std::int32_t spawn(const PedSetup& setup) {
    sim::Vec3 at = setup.change.position.value_or(sim::Vec3{});
    std::int32_t handle = sim::addPed(at, 0.0f);
    pedNames().add(handle, setup.name);
    sim::Ped& ped = sim::ped(handle);
    PedChange change = setup.change;
    change.position = at;
    applyChange(ped, change);
    return handle;
}

} // namespace

void buildWorld(const WorldSetup& setup) {
    sim::World& w = sim::world();
    w.frameTimeMs = setup.frameTimeMs;
    w.gameTimeMs = setup.startTimeMs;
    if (setup.groundHeight) {
        float height = *setup.groundHeight;
        w.ground = [height](float, float) -> std::optional<float> { return height; };
    } else {
        w.ground = nullptr;
    }
    w.keyboardAndMouse = setup.keyboard;
    for (const auto& [dict, frames] : setup.dictLoadFrames) {
        sim::setDictLoadFrames(dict, frames);
    }
    if (setup.weaponClassA) {
        w.weaponClassA = {setup.weaponClassA->begin(), setup.weaponClassA->end()};
    }
    if (setup.weaponClassB) {
        w.weaponClassB = {setup.weaponClassB->begin(), setup.weaponClassB->end()};
    }
    pedNames().add(w.player, PlayerName);
    // Peds first, so that the player's mount or attachment may name one.
    for (const PedSetup& ped : setup.peds) {
        spawn(ped);
    }
    PedChange player = setup.player;
    if (player.position && !player.positionHasHeight) {
        player.position->z = groundAt(player.position->x, player.position->y);
        player.positionHasHeight = true;
    }
    applyChange(sim::playerPed(), player);
}

std::string applyAction(const Action& action) {
    using K = Action::Kind;
    std::string said;
    switch (action.kind) {
    case K::Hold:
    case K::Release:
        for (std::uint32_t control : action.controls) {
            if (action.kind == K::Hold) {
                sim::holdControl(control);
            } else {
                sim::releaseControl(control);
            }
            said += (said.empty() ? "" : ", ") + controlName(control);
        }
        return (action.kind == K::Hold ? "holds " : "lets go of ") + said;
    case K::Stick:
        for (const auto& [control, value] : action.stick) {
            sim::setControlValue(control, value);
            said += (said.empty() ? "" : ", ") + controlName(control) + " " + fixed(value, 2);
        }
        return "stick " + said;
    case K::Input:
        sim::world().keyboardAndMouse = action.keyboard;
        return action.keyboard ? "switches to keyboard and mouse" : "switches to the pad";
    case K::Set:
        return action.ped.name + ": " +
               applyChange(sim::ped(handleOf(action.ped.name)), action.ped.change);
    case K::Die:
        sim::ped(handleOf(action.ped.name)).dead = true;
        return action.ped.name + " dies";
    case K::Delete:
        sim::deletePed(handleOf(action.ped.name));
        return action.ped.name + " is deleted";
    case K::Spawn: {
        std::int32_t handle = spawn(action.ped);
        return action.ped.name + " appears at " + point(sim::ped(handle).position);
    }
    }
    return said;
}

} // namespace simtool
