// The soak's world: between frames it adds, kills, wakes, moves and deletes
// peds (the held body too, in every state and during dictionary waits),
// fills the ped list past 1024 and with stale handles, attaches peds to
// things, unloads dictionaries and makes them slow to load again, and runs
// the game timer across the signed 32-bit wrap. Each fault is counted by kind.
#pragma once

#include "soak/monitor.h"
#include "soak/rng.h"
#include "soak/soak_stats.h"

#include "sim/world/world.h"

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace soak {

class WorldFaults {
  public:
    WorldFaults(Rng& rng, Stats& stats, Monitor& monitor)
        : rng_(rng), stats_(stats), monitor_(monitor) {}

    // The scene at the start of a run.
    void setUp();
    // Before each frame.
    void step();

  private:
    void count(const std::string& kind) { ++stats_.faults[kind]; }
    std::string where() const;

    void runTimer();
    void churnDictionaries();
    void keepBodiesNear();
    void changePeds();
    void changeTarget();
    void changeList();
    void runCrowd();
    void collectDeleted();

    std::int32_t spawnNear(bool dead);
    void placeOnEdge(const sim::Ped& near);
    void remove(std::int32_t handle, bool keepListed, const std::string& kind);
    std::int32_t anyPed();

    Rng& rng_;
    Stats& stats_;
    Monitor& monitor_;
    std::vector<std::int32_t> peds_;                         // made by the generator, alive
    std::deque<std::pair<std::int64_t, std::int32_t>> gone_; // deleted, by frame
    std::vector<std::int32_t> crowd_;
    int crowdFramesLeft_ = 0;
    std::int32_t nextNeverMade_ = 2000000000;
    std::int64_t stuckFrames_ = 0;
};

} // namespace soak
