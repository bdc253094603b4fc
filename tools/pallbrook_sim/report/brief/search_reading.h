// Why no prompt stands, read from the calls the plugin made and the answers it
// got, never from a copy of the plugin's rules: for each ped the game listed,
// the last question the plugin asked about it and the answer; when nothing
// was listed, that; when no list was asked for, the last question asked
// about the player. A change to the plugin's search changes what is read
// here with no change to this file.
#pragma once

#include "sim/host.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace simtool {

// One reason for no prompt: `key` stays the same while the reason does (it
// leaves out values that change from frame to frame), `text` tells it with
// the values compared, and `main` names its chief part, for counting.
struct NoPromptReason {
    std::string key;
    std::string text;
    std::string main;
};

class SearchReading {
  public:
    void beginFrame();
    void onPedList(std::span<const int> handles);
    void onCall(const sim::NativeCall& call, std::int32_t player);

    // The reason for the frame that has just run; `radius` is the detection
    // radius in force, told beside a distance.
    NoPromptReason reason(float radius) const;

  private:
    struct Question {
        std::uint64_t hash = 0;
        sim::NativeArgs args;
        sim::NativeResult result;
    };
    std::string told(std::int32_t handle, const Question& question) const;

    bool listed_ = false;
    std::vector<std::int32_t> handles_;
    std::unordered_set<std::int32_t> listedSet_;
    std::map<std::int32_t, Question> lastAbout_; // by listed handle
    std::int32_t current_ = 0;                   // the listed ped asked about last
    std::int32_t player_ = 0;
    std::optional<Question> lastAboutPlayer_;
};

} // namespace simtool
