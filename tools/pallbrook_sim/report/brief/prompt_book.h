// The prompts as the plugin's own calls make them: begun, given a control, a
// label (a game string made from a text), a hold time and a group, shown on
// an entity's group, and deleted. A replay has no world that holds prompts;
// this book tells the brief what the world would.
#pragma once

#include "sim/host.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace simtool {

class PromptBook {
  public:
    // The prompt groups shown last frame are forgotten, as the game does.
    void beginFrame() { shownThisFrame_.clear(); }
    void onCall(const sim::NativeCall& call);
    // Every prompt that stands, by handle, in the form the world gives.
    std::vector<sim::PromptView> prompts() const;

  private:
    std::map<std::int32_t, sim::PromptView> prompts_;
    std::unordered_map<std::uint64_t, std::string> strings_;
    std::vector<sim::PromptGroupShown> shownThisFrame_;
    std::map<std::int32_t, std::int32_t> groupOwner_; // group -> entity, from the game's answers
};

} // namespace simtool
