// The frames that the benchmarks measure, set up in the stand-in world, and
// their floor: the same host calls with the same words, issued by a plain
// loop, so that what the plugin costs on top of the host is the difference.
//
// A measured frame is what the script loop does between two waits:
// runDueActions, then ProcessDragging. The world stands still between frames
// (no game time passes), so every frame makes the same calls and gets the
// same answers; between frames the world only forgets the game strings and
// prompt groups of the frame, as its own step does, and hands out the same
// game string handles again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// Who the listed peds are.
enum class PedKind {
    Living, // standing, alive: pass every filter but the four state tests
    Body,   // dead within the detection radius: all qualify, the nearest gets the prompt
    Stale,  // deleted but still listed: fail the first filter that asks the game
};

enum class Steering { Keyboard, Stick };

// A fresh host and world, the plugin's records at their load-time values and
// `count` peds of the kind in the world's list (the player's own ped not
// listed); then two frames, so that a prompt that stands was made already.
void setUpIdle(int count, PedKind kind);

// A drag under way: the player picks up a body, the pick-up clip ends, the
// drop prompt stands and the drag clip plays; then the steering controls are
// held (keyboard: turn left and walk; stick: half left, most of the way back).
void setUpDragging(Steering steering);

// A named scene: idle/0; idle/64 and idle/1024 with none_qualify,
// all_qualify or first_filter; dragging/keyboard and dragging/stick.
struct Scene {
    std::string name;
    std::function<void()> setUp;
};
const std::vector<Scene>& scenes();

// One frame of the plugin. Runs on the script fibre.
void pluginFrame();

// Between two frames (outside the fibre or on it).
void endFrame();

// One native call of a frame as the host saw it.
struct FloorCall {
    std::uint64_t hash = 0;
    std::uint32_t firstWord = 0;
    std::uint32_t wordCount = 0;
};

// The host calls of one plugin frame, to replay.
struct Floor {
    std::vector<FloorCall> calls;
    std::vector<std::uint64_t> words;
    // How many native calls come before the ped list is asked for; -1 when
    // the frame does not ask for it.
    std::ptrdiff_t pedListAfter = -1;
};

// Records one plugin frame (outside the fibre), builds its floor, replays it
// once and checks that the host saw the same calls with the same words and
// gave the same answers. Throws std::runtime_error on any difference.
Floor recordFloor();

// The floor's frame. Runs on the script fibre.
void floorFrame(const Floor& floor);

// Faults the host saw since the scene was set up, one per line; empty when none.
std::string hostFaults();

} // namespace bench
