// What a run adds up to: the prompt whose hold never completed (said when it
// goes), and at the end the drags begun and how each ended, the time with a
// prompt and without, and the most frequent reason for no prompt.
#pragma once

#include "report/brief/search_reading.h"
#include "report/track.h"

#include "sim/world/scene.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simtool {

class RunSummary {
  public:
    // After each frame: the game time it ended at, the prompts that stand,
    // whether a hold completed in it, and the reason for no prompt, if none
    // stands while the player holds no body. Returns the brief's lines.
    std::vector<std::string> afterFrame(std::int64_t frame, std::int64_t timeMs,
                                        const std::vector<sim::PromptView>& prompts,
                                        bool holdCompleted,
                                        const std::optional<NoPromptReason>& noPrompt);
    // The closing lines of the brief.
    std::vector<std::string> endLines(const Track& track);

  private:
    struct Standing {
        sim::PromptView prompt;
        std::int64_t firstFrame = 0;
        std::int64_t sinceMs = 0;
        bool completed = false;
    };
    std::optional<std::string> unfinishedHold(std::int64_t lastFrame, std::int64_t timeMs) const;

    std::optional<Standing> standing_;
    std::optional<std::int64_t> lastMs_;
    std::int64_t lastFrame_ = 0;
    std::int64_t withPromptMs_ = 0;
    std::int64_t withoutPromptMs_ = 0;
    std::map<std::string, std::int64_t> reasonFrames_;
};

} // namespace simtool
