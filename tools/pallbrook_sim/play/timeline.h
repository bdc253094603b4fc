// A scenario's timeline played into the stand-in world: each event once, in
// the first frame at which it is due.
#pragma once

#include "scenario/scenario.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace simtool {

struct TimelinePlay {
    const Scenario& scenario;
    std::vector<bool> applied;

    explicit TimelinePlay(const Scenario& s) : scenario(s), applied(s.timeline.size()) {}
};

// Whether a moment has come: its frame is the world's, or the game time has
// reached it.
bool isDue(const Moment& at, std::int64_t clock);

// Applies the events due at the world's frame and the given game time; each
// says what it did, or fails with the scenario's place and the reason.
void applyDueEvents(TimelinePlay& timeline, std::int64_t clock,
                    const std::function<void(std::string)>& say,
                    const std::function<void(std::string)>& fail);

} // namespace simtool
