#include "plugin/keyboard_state.h"

#include "plugin/win_types.h"

KeyboardKeyRecord KeyboardState[KeyboardKeyCount] = {};

void handleKeyboardMessage(unsigned long key, unsigned short, unsigned char, int, int isWithAlt,
                           int wasDownBefore, int isUpNow) noexcept {
    if (key >= KeyboardKeyCount) {
        return;
    }
    KeyboardKeyRecord& entry = KeyboardState[key];
    entry.lastTick = GetTickCount();
    entry.altHeld = isWithAlt;
    entry.wasDown = wasDownBefore;
    entry.released = isUpNow;
}
