#include "report/brief/run_summary.h"

#include "printing/format.h"
#include "printing/names.h"
#include "report/track_part.h"

#include <algorithm>

namespace simtool {

namespace {

std::string seconds(std::int64_t ms) {
    return fixed(static_cast<double>(ms) / 1000.0, 2) + " s";
}

} // namespace

std::optional<std::string> RunSummary::unfinishedHold(std::int64_t lastFrame,
                                                      std::int64_t timeMs) const {
    if (!standing_ || standing_->completed) {
        return std::nullopt;
    }
    const std::int64_t stood = timeMs - standing_->sinceMs;
    const sim::PromptView& p = standing_->prompt;
    if (stood < p.holdTimeMs) {
        return std::nullopt;
    }
    return "the prompt \"" + p.label + "\" on " + pedNames().name(p.entity) + " stood " +
           seconds(stood) + " (frames " + std::to_string(standing_->firstFrame) + " to " +
           std::to_string(lastFrame) + "), control " + controlName(p.control) + ", hold time " +
           std::to_string(p.holdTimeMs) + " ms: the game never reported its hold complete";
}

std::vector<std::string> RunSummary::afterFrame(std::int64_t frame, std::int64_t timeMs,
                                                const std::vector<sim::PromptView>& prompts,
                                                bool holdCompleted,
                                                const std::optional<NoPromptReason>& noPrompt) {
    std::vector<std::string> lines;
    const std::int64_t passed = lastMs_ ? timeMs - *lastMs_ : 0;
    (prompts.empty() ? withoutPromptMs_ : withPromptMs_) += passed;
    lastMs_ = timeMs;
    if (noPrompt) {
        ++reasonFrames_[noPrompt->main];
    }
    if (standing_ && holdCompleted) {
        standing_->completed = true;
    }
    const bool same = standing_ && !prompts.empty() &&
                      prompts.front().handle == standing_->prompt.handle &&
                      prompts.front().entity == standing_->prompt.entity;
    if (!same) {
        if (auto told = unfinishedHold(lastFrame_, timeMs - passed)) {
            lines.push_back(*told);
        }
        standing_.reset();
        if (!prompts.empty()) {
            standing_ = Standing{prompts.front(), frame, timeMs - passed, false};
        }
    }
    lastFrame_ = frame;
    return lines;
}

std::vector<std::string> RunSummary::endLines(const Track& track) {
    std::vector<std::string> lines;
    if (auto told = unfinishedHold(lastFrame_, lastMs_.value_or(0))) {
        lines.push_back(*told + " (it still stands at the end)");
    }
    // The drags by how they ended, each ending once, naming the drags when few.
    const std::vector<FrameSpan> drags = dragSpans(track);
    std::map<std::string, std::vector<std::size_t>> byEnding;
    for (std::size_t n = 0; n < drags.size(); ++n) {
        std::string ending = "still going at the end";
        bool dragged = false;
        for (const Marker& m : track.markers) {
            if (m.frame < drags[n].first || m.frame > drags[n].last) {
                continue;
            }
            dragged = dragged || m.kind == Marker::Kind::DragStart;
            if (m.kind == Marker::Kind::DragEnd) {
                ending = (dragged ? "" : "pick-up ") + m.label;
            }
        }
        byEnding[ending].push_back(n + 1);
    }
    std::string endings;
    for (const auto& [ending, numbers] : byEnding) {
        endings += "; " + std::to_string(numbers.size()) + " " + ending;
        if (numbers.size() <= 3) {
            std::string named;
            for (const std::size_t n : numbers) {
                named += (named.empty() ? " (drag " : ", ") + std::to_string(n);
            }
            endings += named + ")";
        }
    }
    lines.push_back("summary: " + std::to_string(drags.size()) + " drag(s) begun" + endings);
    lines.push_back("  time with a prompt " + seconds(withPromptMs_) + ", without one " +
                    seconds(withoutPromptMs_));
    const auto most =
        std::max_element(reasonFrames_.begin(), reasonFrames_.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most != reasonFrames_.end()) {
        lines.push_back("  most frequent reason for no prompt: " + most->first + " (" +
                        std::to_string(most->second) + " frames)");
    }
    return lines;
}

} // namespace simtool
