// Setting the scene and reading it back, for tests and scenario files. The
// records of world.h can also be read and written directly.
#pragma once

#include "sim/world/world.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Adds a ped standing at the position and lists it; returns its handle.
std::int32_t addPed(Vec3 position, float heading = 0.0f);

// Adds a dead ped lying at the position, head along the heading.
std::int32_t addBody(Vec3 position, float heading = 0.0f);

// Any ped the world made, deleted or not; throws for a handle it never made.
Ped& ped(std::int32_t handle);
Ped& playerPed();

// The handle goes stale: the entity no longer exists. A stale handle may stay
// in the ped list, as the game's list may hold one.
void deletePed(std::int32_t handle, bool keepListed = true);

// Controls: held from the current game time on until released.
void holdControl(std::uint32_t control);
void releaseControl(std::uint32_t control);
void setControlDisabled(std::uint32_t control, bool disabled);
// The analogue value of a stick axis, -1 to 1.
void setControlValue(std::uint32_t control, float value);

// How many frames after its first request the dictionary loads (below 0:
// never).
void setDictLoadFrames(const std::string& dict, int frames);

// A prompt as the player sees it.
struct PromptView {
    std::int32_t handle = 0;
    std::int32_t entity = 0;
    std::string label;
    std::uint32_t control = 0;
    std::int32_t holdTimeMs = 0;
    std::int32_t group = -1;
    bool finished = false;
    bool enabled = false;
    bool visible = false;
};

int promptCount();
std::vector<PromptView> prompts();
// The prompt when exactly one exists.
std::optional<PromptView> onlyPrompt();

// The text of a game string made in this frame.
std::optional<std::string> gameString(std::uint64_t handle);

} // namespace sim
