#include "sim/world/answer_support.h"

namespace sim {

std::uint64_t currentNative() {
    return host().pending.hash;
}

Ped* pedArg(const NativeArgs& args, std::size_t i) {
    std::int32_t handle = args.i32(i);
    if (Ped* ped = livePed(handle)) {
        return ped;
    }
    World& w = world();
    w.deletedHandleUses.push_back({w.frame, currentNative(), handle});
    return nullptr;
}

Prompt* promptArg(const NativeArgs& args, std::size_t i) {
    World& w = world();
    std::int32_t handle = args.i32(i);
    auto found = w.prompts.find(handle);
    if (found != w.prompts.end()) {
        return &found->second;
    }
    w.stalePromptUses.push_back({w.frame, currentNative(), handle});
    return nullptr;
}

std::string textArg(const NativeArgs& args, std::size_t i) {
    const char* text = args.text(i);
    if (text == nullptr) {
        reportError("native " + hex(currentNative()) + ": null text in word " + std::to_string(i));
        return {};
    }
    return text;
}

std::string gameStringText(std::uint64_t handle) {
    const World& w = world();
    auto found = w.strings.find(handle);
    if (found == w.strings.end()) {
        reportError("native " + hex(currentNative()) + ": game string " + hex(handle) +
                    " was not made in this frame");
        return {};
    }
    return found->second;
}

} // namespace sim
