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

std::int32_t promptEntity(const Prompt& prompt) {
    const World& w = world();
    for (auto shown = w.shownThisFrame.rbegin(); shown != w.shownThisFrame.rend(); ++shown) {
        if (shown->group == prompt.group) {
            return shown->entity;
        }
    }
    if (prompt.group != -1) {
        for (const auto& [handle, ped] : w.peds) {
            if (ped.exists && ped.promptGroup == prompt.group) {
                return handle;
            }
        }
    }
    return 0;
}

} // namespace sim
