#include "sim/world/scene.h"

#include "sim/world/prompts.h"

#include <algorithm>

namespace sim {

std::int32_t addPed(Vec3 position, float heading) {
    World& w = world();
    Ped ped;
    ped.handle = w.nextPedHandle++;
    ped.position = position;
    ped.heading = heading;
    w.peds[ped.handle] = ped;
    w.listed.push_back(ped.handle);
    return ped.handle;
}

std::int32_t addBody(Vec3 position, float heading) {
    std::int32_t handle = addPed(position, heading);
    ped(handle).dead = true;
    return handle;
}

Ped& ped(std::int32_t handle) {
    return world().peds.at(handle);
}

Ped& playerPed() {
    return ped(world().player);
}

void deletePed(std::int32_t handle, bool keepListed) {
    World& w = world();
    ped(handle).exists = false;
    if (!keepListed) {
        std::erase(w.listed, handle);
    }
}

void holdControl(std::uint32_t control) {
    World& w = world();
    ControlState& c = w.controls[control];
    if (!c.held) {
        c.held = true;
        c.heldSince = w.gameTimeMs;
    }
}

void releaseControl(std::uint32_t control) {
    world().controls[control].held = false;
}

void setControlDisabled(std::uint32_t control, bool disabled) {
    world().controls[control].disabled = disabled;
}

void setControlValue(std::uint32_t control, float value) {
    world().controls[control].value = value;
}

void setDictLoadFrames(const std::string& dict, int frames) {
    world().dictLoadFrames[dict] = frames;
}

int promptCount() {
    return static_cast<int>(world().prompts.size());
}

std::vector<PromptView> prompts() {
    std::vector<PromptView> views;
    for (const auto& [handle, p] : world().prompts) {
        views.push_back({handle, promptEntity(p), p.label, p.control, p.holdTimeMs, p.group,
                         p.finished, p.enabled, p.visible});
    }
    return views;
}

std::optional<PromptView> onlyPrompt() {
    std::vector<PromptView> views = prompts();
    if (views.size() != 1) {
        return std::nullopt;
    }
    return views.front();
}

std::optional<std::string> gameString(std::uint64_t handle) {
    const World& w = world();
    auto found = w.strings.find(handle);
    if (found == w.strings.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace sim
