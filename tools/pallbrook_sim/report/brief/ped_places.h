// Where the peds are, which way they face and whether they lie, as the
// brief's marks and the picture take it: from the stand-in world, or, in a
// replay, whose world holds none of the capture's peds and never moves, from
// what the calls tell. A capture tells a ped's position where the plugin asks
// for it or sets it. While dragging the plugin asks for no position, only for
// the player's hands: the player then stands at the middle of the hands, and
// the body at the middle of the points it is pinned to. A body's heading is
// told by the bones asked for at a pick-up: a body lies head forward, so it
// faces from the middle of its feet to the middle of its hands.
#pragma once

#include "sim/host.h"
#include "sim/world/world.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace simtool {

class PedPlaces {
  public:
    // Takes what the calls tell instead of the world (a replay).
    void tellFromCalls() { fromCalls_ = true; }
    void onCall(const sim::NativeCall& call);

    // The player as the game names it to the plugin; until it has, the world's.
    std::int32_t player() const;
    std::optional<sim::Vec3> position(std::int32_t handle) const;
    std::optional<float> heading(std::int32_t handle) const;
    bool lying(std::int32_t handle) const;
    // Every ped whose place is known now, the player among them.
    std::vector<std::int32_t> known() const;

  private:
    struct Told {
        std::optional<sim::Vec3> position;
        std::int64_t positionFrame = -1; // the frame that told it
        std::optional<float> heading;
        bool dead = false, incapacitated = false, limp = false;
        std::map<std::int32_t, sim::Vec3> bones; // by tag
        sim::Vec3 pinSum;
        int pins = 0;
        std::int64_t pinFrame = -1;
    };
    void toldBone(std::int32_t handle, std::int32_t tag, sim::Vec3 at);
    void toldPin(std::int32_t handle, sim::Vec3 at);

    bool fromCalls_ = false;
    std::int32_t player_ = 0;
    std::map<std::int32_t, Told> told_;
};

} // namespace simtool
