// The soak's player: holds the prompt's control, lets it go and holds it
// again, aims with one- and two-handed weapons, steers with the keyboard or
// the stick, and meets every condition that ends a drag (dying, mounting,
// entering a vehicle, falling, swimming, going limp, each condition test) and
// those that keep the prompt away (carrying, mounted, in a vehicle).
#pragma once

#include "soak/monitor.h"
#include "soak/rng.h"
#include "soak/soak_stats.h"

#include <cstdint>
#include <vector>

namespace soak {

class PlayerDriver {
  public:
    PlayerDriver(Rng& rng, Stats& stats) : rng_(rng), stats_(stats) {}

    void step();

  private:
    struct Condition {
        int kind = 0;
        int framesLeft = 0;
    };

    void runConditions();
    void setCondition(int kind, bool on);
    void usePromptControl();
    void aimAndSteer();
    void input(const char* kind) { ++stats_.inputs[kind]; }

    Rng& rng_;
    Stats& stats_;
    std::vector<Condition> conditions_;
    std::uint32_t control_ = 0;
    bool holding_ = false;
    int lastState_ = 0;
};

} // namespace soak
