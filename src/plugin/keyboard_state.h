// The last keyboard message the host delivered for each key code below 255.
#pragma once

#include <cstdint>

struct KeyboardKeyRecord {
    std::uint32_t lastTick;
    std::int32_t altHeld;
    std::int32_t wasDown;
    std::int32_t released;
};

inline constexpr unsigned long KeyboardKeyCount = 255;

extern KeyboardKeyRecord KeyboardState[KeyboardKeyCount];

// The keyboard handler registered with the host. Safe on any thread: it
// writes only its own entry of KeyboardState.
void handleKeyboardMessage(unsigned long key, unsigned short repeats, unsigned char scanCode,
                           int isExtended, int isWithAlt, int wasDownBefore, int isUpNow) noexcept;
