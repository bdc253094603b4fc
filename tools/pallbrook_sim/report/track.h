// What the picture is drawn from: where everyone was after each frame, and
// the moments worth marking.
#pragma once

#include "drag/drag_state.h"

#include "sim/world/world.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace simtool {

struct Sample {
    std::int64_t frame = 0;
    sim::Vec3 player;
    float heading = 0.0f;
    DragPhase phase = DragPhase::Idle;
    std::int32_t target = 0;
};

struct Marker {
    enum class Kind {
        Prompt,    // a prompt began to stand on a ped
        GrabPoint, // the midpoint of the chosen grab point
        Placement, // where the player was put for the pick-up
        DragStart, // the first frame of the drag
        DragEnd,   // the put-down began, or the drag was cut short
        Drop,      // where the body was let go
    };
    Kind kind;
    std::int64_t frame = 0;
    sim::Vec3 at;
    float heading = 0.0f;
    std::string label;
};

struct Track {
    std::vector<Sample> samples;
    // Positions of every ped after each frame, by handle; a point is kept only
    // when the ped has moved since the last one.
    std::map<std::int32_t, std::vector<sim::Vec3>> pedPaths;
    std::vector<Marker> markers;

    void mark(Marker::Kind kind, std::int64_t frame, sim::Vec3 at, std::string label,
              float heading = 0.0f) {
        markers.push_back({kind, frame, at, heading, std::move(label)});
    }
};

} // namespace simtool
