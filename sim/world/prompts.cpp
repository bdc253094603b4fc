#include "sim/world/prompts.h"

#include <algorithm>

namespace sim {

bool isHoldCompleted(const Prompt& prompt) {
    const World& w = world();
    if (!prompt.finished || !prompt.enabled || !prompt.visible) {
        return false;
    }
    auto control = w.controls.find(prompt.control);
    if (control == w.controls.end() || !control->second.held) {
        return false;
    }
    // Unsigned differences stay right across the wrap of the timer.
    std::uint32_t heldFor = w.gameTimeMs - control->second.heldSince;
    std::uint32_t standing = w.gameTimeMs - prompt.createdAt;
    std::uint32_t counted = std::min(heldFor, standing);
    return counted >= static_cast<std::uint32_t>(std::max(prompt.holdTimeMs, 0));
}

std::int32_t promptEntity(std::int32_t group, std::span<const PromptGroupShown> shownThisFrame,
                          const std::function<std::int32_t(std::int32_t group)>& ownerOf) {
    for (auto shown = shownThisFrame.rbegin(); shown != shownThisFrame.rend(); ++shown) {
        if (shown->group == group) {
            return shown->entity;
        }
    }
    return group != -1 ? ownerOf(group) : 0;
}

std::int32_t promptEntity(const Prompt& prompt) {
    const World& w = world();
    return promptEntity(prompt.group, w.shownThisFrame, [&w](std::int32_t group) {
        for (const auto& [handle, ped] : w.peds) {
            if (ped.exists && ped.promptGroup == group) {
                return handle;
            }
        }
        return 0;
    });
}

} // namespace sim
