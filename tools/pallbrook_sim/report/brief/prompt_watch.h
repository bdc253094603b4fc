// The prompt as the player sees it, frame to frame: when one appears, moves,
// changes its label or goes.
#pragma once

#include "report/brief/ped_places.h"
#include "report/track.h"

#include "sim/world/scene.h"

#include <cstdint>
#include <string>
#include <vector>

namespace simtool {

class PromptWatch {
  public:
    // Compares the prompts that stand now (the world's, or a prompt book's)
    // with those after the last frame; returns the brief's lines and marks
    // where a prompt began to stand, at the place of its ped.
    std::vector<std::string> update(Track& track, std::int64_t frame,
                                    const std::vector<sim::PromptView>& now,
                                    const PedPlaces& places);

  private:
    struct Seen {
        std::int32_t handle = 0;
        std::int32_t entity = 0;
        std::string label;
    };
    std::vector<Seen> last_;
};

} // namespace simtool
