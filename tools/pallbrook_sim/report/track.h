// What the picture is drawn from: where everyone was after each frame, and
// the moments worth marking.
#pragma once

#include "drag/drag_state.h"

#include "sim/world/world.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simtool {

struct Sample {
    std::int64_t frame = 0;
    std::int64_t timeMs = 0; // game time after the frame
    sim::Vec3 player;
    float heading = 0.0f;
    DragPhase phase = DragPhase::Idle;
    std::int32_t target = 0;
    bool prompt = false; // a prompt stood after the frame
};

struct Marker {
    enum class Kind {
        Prompt,     // a prompt began to stand on a ped
        GrabPoint,  // the midpoint of the chosen grab point
        Placement,  // where the player was put for the pick-up
        DragStart,  // the first frame of the drag
        DragEnd,    // the put-down began, or the drag was cut short
        Drop,       // where the body was let go
        Difference, // where a replay found the plugin doing otherwise
    };
    Kind kind;
    std::int64_t frame = 0;
    sim::Vec3 at;
    float heading = 0.0f;
    std::string label;
    int drag = 0; // a DragStart's drag, numbered from 1 as the brief numbers them
};

// A place of a ped and the frame after which it was there.
struct PathPoint {
    std::int64_t frame = 0;
    sim::Vec3 at;
};

// How a ped is drawn: lying or standing, and which way it faces, when known.
struct PedLook {
    bool lying = false;
    std::optional<float> heading;
};

struct Track {
    std::int32_t player = 0;
    float detectionRadius = 0.0f; // in force; drawn where no prompt stood
    std::vector<Sample> samples;
    // Positions of every ped after each frame, by handle; a point is kept only
    // when the ped has moved since the last one.
    std::map<std::int32_t, std::vector<PathPoint>> pedPaths;
    // How each ped of pedPaths looked last.
    std::map<std::int32_t, PedLook> looks;
    std::vector<Marker> markers;

    void mark(Marker::Kind kind, std::int64_t frame, sim::Vec3 at, std::string label,
              float heading = 0.0f, int drag = 0) {
        markers.push_back({kind, frame, at, heading, std::move(label), drag});
    }
};

} // namespace simtool
