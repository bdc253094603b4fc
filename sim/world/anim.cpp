#include "sim/world/anim.h"

#include <algorithm>
#include <cmath>

namespace sim {

bool isDictLoaded(const std::string& dict) {
    const World& w = world();
    auto requested = w.dicts.find(dict);
    if (requested == w.dicts.end()) {
        return false;
    }
    auto own = w.dictLoadFrames.find(dict);
    int frames = own != w.dictLoadFrames.end() ? own->second : w.defaultDictLoadFrames;
    return frames >= 0 && w.frame >= requested->second.requestedFrame + frames;
}

std::uint32_t clipLength(const ClipTask& clip) {
    const World& w = world();
    auto found = w.clipLengthMs.find({clip.dict, clip.clip});
    std::uint32_t length = found != w.clipLengthMs.end() ? found->second : w.defaultClipLengthMs;
    return std::max<std::uint32_t>(length, 1);
}

float clipWalkRate(const ClipTask& clip) {
    const World& w = world();
    auto found = w.clipWalkRate.find({clip.dict, clip.clip});
    return found != w.clipWalkRate.end() ? found->second : 0.0f;
}

void runClip(ClipTask& clip, std::uint32_t dtMs) {
    if (!clip.active) {
        return;
    }
    clip.elapsedMs += dtMs;
    if (clip.durationMs >= 0 && clip.elapsedMs >= static_cast<std::uint32_t>(clip.durationMs)) {
        clip.active = false;
        return;
    }
    clip.phase += static_cast<float>(dtMs) * clip.speed / static_cast<float>(clipLength(clip));
    if (clip.durationMs < 0) {
        clip.phase -= std::floor(clip.phase);
    } else {
        clip.phase = std::clamp(clip.phase, 0.0f, 1.0f);
    }
}

} // namespace sim
