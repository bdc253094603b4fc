// A scenario as read from its file: the world at the start, the settings file,
// what happens when, and what must then be true. Peds are named; the player
// is "player".
#pragma once

#include "drag/drag_state.h"

#include "sim/world/world.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace simtool {

inline constexpr const char* PlayerName = "player";

// Changes to a ped: every field that is set is applied, the rest stay.
struct PedChange {
    std::optional<sim::Vec3> position;
    bool positionHasHeight = true; // false: put it on the ground
    std::optional<float> heading;
    struct Flag {
        std::string key;
        bool sim::Ped::*field;
        bool on;
    };
    std::vector<Flag> flags;
    std::optional<std::int32_t> conditionValue;
    std::optional<std::string> mount;      // ped name; "" for none
    std::optional<std::string> attachedTo; // ped name; "" for none
    std::optional<std::int32_t> promptGroup;
    std::optional<std::vector<int>> flaggedParts;
    std::optional<std::uint32_t> weapons[2];
};

struct PedSetup {
    std::string name;
    PedChange change;
};

// When something happens or is checked: at a frame, at the first frame whose
// game time has reached a value, or after the last frame.
struct Moment {
    enum class Kind { Frame, Time, End } kind = Kind::End;
    std::int64_t value = 0;
};

struct Action {
    enum class Kind { Hold, Release, Stick, Input, Set, Die, Delete, Spawn } kind = Kind::Hold;
    std::vector<std::uint32_t> controls;                // Hold, Release
    std::vector<std::pair<std::uint32_t, float>> stick; // Stick
    bool keyboard = true;                               // Input
    PedSetup ped;                                       // Set, Die, Delete, Spawn
};

struct TimelineEvent {
    Moment at;
    std::string note;
    Action action;
    std::string pointer; // where it stands in the file
};

struct PromptExpectation {
    bool none = false; // no prompt at all
    std::optional<std::string> label;
    std::optional<std::string> on;
    std::optional<std::uint32_t> control;
    std::optional<std::int32_t> holdMs;
};

struct PointExpectation {
    float x = 0.0f;
    float y = 0.0f;
    std::optional<float> z;
    float within = 0.0f;
};

struct Expectation {
    Moment at;
    std::string note;
    std::string pointer;
    std::optional<DragPhase> state;
    std::optional<PromptExpectation> prompt;
    std::optional<int> promptCount;
    std::optional<PointExpectation> playerPosition;
    std::optional<std::pair<float, float>> playerHeading; // degrees, within
    struct Distance {
        std::string body;
        std::optional<float> min;
        std::optional<float> max;
    };
    std::optional<Distance> bodyDistance;
    std::optional<std::pair<std::string, PointExpectation>> bodyPosition;
    std::optional<std::pair<std::string, int>> bodyPins;
    struct Clip {
        std::optional<std::string> clip; // "" for no clip
        std::optional<std::string> filter;
        std::optional<float> speed;
    };
    std::optional<Clip> playerClip;
};

struct WorldSetup {
    std::uint32_t frameTimeMs = 33;
    std::uint32_t startTimeMs = 0;
    std::optional<float> groundHeight = 0.0f; // nothing: no ground anywhere
    bool keyboard = true;
    std::map<std::string, int> dictLoadFrames;
    std::optional<std::vector<std::uint32_t>> weaponClassA;
    std::optional<std::vector<std::uint32_t>> weaponClassB;
    PedChange player;
    std::vector<PedSetup> peds;
};

struct Scenario {
    std::string file;
    std::string description;
    std::int64_t frames = 0;
    WorldSetup world;
    std::optional<std::string> settings; // the text of Pallbrook.ini
    std::vector<TimelineEvent> timeline;
    std::vector<Expectation> expectations;
};

} // namespace simtool
