// The stand-in game world: a small, deterministic model of what the plugin's
// natives ask and change. It is plain records; the natives (native_table.h)
// read and write them, the per-frame step (step.cpp) moves time on, and
// tests and scenarios set the scene through scene.h.
//
// Conventions of this world:
// - Positions are in world units, x east, y north, z up. A ped's position is
//   the point on the ground between its feet.
// - Headings are in degrees, 0 along +y, growing counter-clockwise seen from
//   above: 90 faces -x, 180 faces -y, 270 faces +x. A heading is kept exactly
//   as it was set, never wrapped.
// - Game time is an unsigned 32-bit millisecond counter that wraps; the timer
//   native answers it as a signed 32-bit number.
// - Clips may walk their ped (clipWalkRate). The drag clip walks at -1.2 units
//   per second: played forwards (positive playback speed, the move-down
//   control) it walks the player backwards, away from the body it pulls;
//   played backwards (negative speed, the move-up control) it walks the player
//   forwards, towards the body. At speed 0 the player stands.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sim {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// A clip played as a task on a ped.
struct ClipTask {
    bool active = false;
    std::string dict;
    std::string clip;
    std::string filter;
    float blendIn = 0.0f;
    float blendOut = 0.0f;
    std::int32_t durationMs = -1; // below 0: loops until stopped
    std::int32_t flags = 0;
    float startPhase = 0.0f;
    float phase = 0.0f; // 0 to 1
    float speed = 1.0f; // playback speed; negative plays backwards
    std::uint32_t elapsedMs = 0;
    std::int64_t startFrame = 0;
};

// A bone of a ped held to a world point.
struct Pin {
    std::int32_t boneIndex = 0;
    Vec3 point;
    float strength = 0.0f;
};

struct Ped {
    std::int32_t handle = 0;
    Vec3 position;
    float heading = 0.0f;

    bool exists = true;
    bool isPlayer = false;
    bool dead = false;
    bool incapacitated = false;
    bool limp = false;            // limp for good, whatever the timer says
    std::uint32_t limpLeftMs = 0; // limp for this much longer ("make ped limp")
    bool limpAllowed = true;      // "allow limp"; when false, "make ped limp" does nothing
    bool configFlag11 = false;
    bool ridingMount = false;
    bool inVehicle = false;
    bool carrying = false;
    bool falling = false;
    bool swimming = false;
    bool conditionTest = false;      // PlayerConditionTest (player, 1)
    std::int32_t conditionValue = 0; // PlayerConditionValue; the guard fires on 1
    bool conditionTestB = false;     // PlayerConditionTestB
    bool frozen = false;

    std::int32_t mount = 0;
    std::int32_t attachedTo = 0;
    std::int32_t promptGroup = -1;
    std::bitset<32> flaggedParts; // the body-part test, by part number

    std::uint32_t weapons[2] = {0, 0}; // slot 0 and slot 1
    ClipTask clip;
    std::vector<Pin> pins;
};

// A prompt that the plugin began.
struct Prompt {
    std::int32_t handle = 0;
    std::uint32_t control = 0;
    std::string label;
    std::int32_t holdTimeMs = 0;
    bool finished = false;
    bool enabled = false;
    bool visible = false;
    std::int32_t group = -1;
    std::uint32_t createdAt = 0; // game time
    std::int64_t createdFrame = 0;
};

// One "show an entity's prompt group" of the current frame.
struct PromptGroupShown {
    std::int32_t entity = 0;
    std::int32_t group = -1;
    std::string label;
};

struct ControlState {
    bool held = false;
    bool disabled = false;       // a disabled control reads as not pressed by the plain test
    std::uint32_t heldSince = 0; // game time at which it was pressed
    float value = 0.0f;          // analogue value, -1 to 1
};

struct AnimDict {
    std::int64_t requestedFrame = 0;
};

// A native given a handle that names no ped that exists.
struct StaleUse {
    std::int64_t frame = 0;
    std::uint64_t hash = 0;
    std::int32_t handle = 0;
};

// A native given a prompt handle that names no prompt that exists.
struct StalePromptUse {
    std::int64_t frame = 0;
    std::uint64_t hash = 0;
    std::int32_t prompt = 0;
};

struct World {
    // Time.
    std::int64_t frame = 0;       // frames stepped since installWorld
    std::uint32_t gameTimeMs = 0; // the game timer
    std::uint32_t frameTimeMs = 33;

    // Peds, by handle; deleted ones stay with exists false.
    std::map<std::int32_t, Ped> peds;
    std::int32_t player = 0;
    std::int32_t nextPedHandle = 1001;
    // What worldGetAllPeds lists, in order; may hold stale handles.
    std::vector<std::int32_t> listed;
    // When set, worldGetAllPeds answers the full length of the list even when
    // it wrote fewer handles, as a host that over-reports would.
    bool overReportCount = false;

    // Prompts alive, by handle. Handles count up and are never reused.
    std::map<std::int32_t, Prompt> prompts;
    std::int32_t nextPromptHandle = 1000001;
    std::int32_t promptsBegun = 0;
    std::int32_t promptsDeleted = 0;
    std::vector<PromptGroupShown> shownThisFrame;

    // Game strings of this frame: handle to text. Emptied at every frame.
    std::map<std::uint64_t, std::string> strings;
    std::uint64_t nextString = 1;

    // Input.
    std::map<std::uint32_t, ControlState> controls;
    bool keyboardAndMouse = true;

    // Animation: dictionaries requested, how many frames each takes to load
    // after its first request (below 0: never), clip lengths and the distance a
    // clip walks its ped per second at playback speed 1 (negative: backwards).
    std::map<std::string, AnimDict> dicts;
    int defaultDictLoadFrames = 0;
    std::map<std::string, int> dictLoadFrames;
    std::uint32_t defaultClipLengthMs = 1000;
    std::map<std::pair<std::string, std::string>, std::uint32_t> clipLengthMs;
    std::map<std::pair<std::string, std::string>, float> clipWalkRate;

    // Physics.
    std::set<std::pair<std::int32_t, std::int32_t>> noCollision;
    // Ground height under (x, y); nothing where there is no ground.
    std::function<std::optional<float>(float, float)> ground;

    // Weapons: the two class tests answer true for the hashes in these sets.
    std::set<std::uint32_t> weaponClassA;
    std::set<std::uint32_t> weaponClassB;

    // What went wrong without failing the call, for invariant checks.
    std::vector<StaleUse> deletedHandleUses;
    std::vector<StalePromptUse> stalePromptUses;
};

World& world();

// Resets the world to the default scene (the player standing at the origin,
// heading 0, nothing else), defines every native of the world with the host,
// serves the ped list and steps the world at the start of every frame.
// Installing again in the same host resets the world without stepping twice.
void installWorld();

// One frame of the world: advances the game timer (and the host's tick count)
// by frameTimeMs, forgets the game strings and shown prompt groups of the last
// frame, walks peds by their clips, lets pinned bodies follow their pins, and
// runs clips and limp timers on. installWorld runs it at every frame start.
void stepWorld();

// The ped with this handle when it exists, else null.
Ped* livePed(std::int32_t handle);

// Limp for good or for a time that has not run out.
bool isLimp(const Ped& ped);

} // namespace sim
