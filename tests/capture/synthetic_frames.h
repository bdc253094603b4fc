// Frames shaped like the plugin's: the game timer, the player, the ped list
// and six calls for each ped, then the wait.
#pragma once

#include "capture/session.h"
#include "plugin/natives.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace capture_test {

using natives::EntityExists;
using natives::GameTimer;
using natives::PlayerPed;
inline constexpr std::uint64_t IsPedDead = 0x3317DEDB88C95038;
inline constexpr std::uint64_t EntityCoords = natives::EntityPosition;
inline constexpr std::uint64_t Distance = 0x0BE7F4E3CDBAFB28;
using natives::IsAttached;
inline constexpr std::uint64_t RequestDict = natives::RequestAnimDict;
inline constexpr std::uint64_t PromptText = natives::PromptSetLabel;

inline std::uint64_t floatWord(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

inline std::vector<std::uint64_t> vector3(float x, float y, float z) {
    return {floatWord(x), floatWord(y), floatWord(z)};
}

inline std::vector<std::int32_t> pedHandles(int count) {
    std::vector<std::int32_t> handles;
    for (int i = 0; i < count; ++i) {
        handles.push_back(1000 + 7 * i);
    }
    return handles;
}

// The idle frame: every answer the same in each frame but the timer's.
inline void idleFrame(Session& s, const std::vector<std::int32_t>& handles, std::uint32_t timer) {
    call(s, {GameTimer, {}, {}, {}, {timer}});
    call(s, {PlayerPed, {0}, {}, {}, {42}});
    call(s, {EntityCoords, {42, 1, 0}, {}, {}, vector3(1.0f, 2.0f, 40.0f)});
    peds(s, handles, static_cast<std::int32_t>(handles.size()));
    for (std::int32_t handle : handles) {
        const auto h = static_cast<std::uint64_t>(static_cast<std::uint32_t>(handle));
        const float x = static_cast<float>(handle % 97) * 0.5f;
        call(s, {EntityExists, {h}, {}, {}, {1}});
        call(s, {IsPedDead, {h, 0}, {}, {}, {0}});
        call(s, {IsAttached, {h}, {}, {}, {0}});
        call(s, {EntityCoords, {h, 1, 0}, {}, {}, vector3(x, 3.0f, 40.0f)});
        call(s, {Distance,
                 {floatWord(x), floatWord(3.0f), floatWord(40.0f), floatWord(1.0f), floatWord(2.0f),
                  floatWord(40.0f), 1},
                 {},
                 {},
                 {floatWord(x + 1.0f)}});
        call(s, {PromptText, {0x7FFE0000, h}, {{0, "Drag"}}, {}, {0}});
    }
    wait(s);
}

} // namespace capture_test
