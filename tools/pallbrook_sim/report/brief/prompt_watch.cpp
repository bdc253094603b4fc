#include "report/brief/prompt_watch.h"

#include "printing/names.h"

namespace simtool {

namespace {

std::string onWhom(std::int32_t entity) {
    return entity != 0 ? pedNames().name(entity) : "no ped";
}

} // namespace

std::vector<std::string> PromptWatch::update(Track& track, std::int64_t frame,
                                             const std::vector<sim::PromptView>& now,
                                             const PedPlaces& places) {
    std::vector<std::string> lines;
    std::vector<Seen> seen;
    for (const sim::PromptView& p : now) {
        seen.push_back({p.handle, p.entity, p.label});
    }
    auto markAt = [&](const Seen& p) {
        if (const auto at = places.position(p.entity)) {
            track.mark(Marker::Kind::Prompt, frame, *at, "\"" + p.label + "\"");
        }
    };
    if (seen.size() > 1) {
        lines.push_back(std::to_string(seen.size()) + " prompts stand at once");
    }
    const Seen* before = last_.empty() ? nullptr : &last_.front();
    const Seen* after = seen.empty() ? nullptr : &seen.front();
    if (before != nullptr && after == nullptr) {
        lines.push_back("prompt \"" + before->label + "\" removed");
    } else if (after != nullptr && (before == nullptr || before->handle != after->handle)) {
        const sim::PromptView& p = now.front();
        std::string how = before == nullptr ? "appears on " : "replaces the old one on ";
        if (before != nullptr && before->entity != after->entity) {
            how = "moves from " + onWhom(before->entity) + " to ";
        }
        lines.push_back("prompt \"" + after->label + "\" " + how + onWhom(after->entity) + " (" +
                        controlName(p.control) + ", hold " + std::to_string(p.holdTimeMs) + " ms)");
        markAt(*after);
    } else if (after != nullptr && before != nullptr) {
        if (after->label != before->label) {
            lines.push_back("prompt label now \"" + after->label + "\"");
        }
        if (after->entity != before->entity) {
            lines.push_back("prompt now stands on " + onWhom(after->entity));
            markAt(*after);
        }
    }
    last_ = std::move(seen);
    return lines;
}

} // namespace simtool
