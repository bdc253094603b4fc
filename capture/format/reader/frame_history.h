// The recent frames that a frame may be written against, each of its shape
// in a slot (a game frame cut by a dictionary wait gives frames of other
// shapes). The reader stores every frame it reads so; a Base record, which
// version 1 writes, names a slot, and otherwise the frame just read is the
// base. The writer of version 3 writes every frame against the frame before.
#pragma once

#include "capture/format/event_frame.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace capture {

inline constexpr std::size_t BaseSlotCount = 4;

struct FrameShape {
    std::uint64_t first = 0;
    std::uint64_t beforeWait = 0;
    bool operator==(const FrameShape&) const = default;
};

struct FrameHistory {
    std::array<EventFrame, BaseSlotCount> frames;
    std::array<FrameShape, BaseSlotCount> shapes{};
    std::array<std::uint64_t, BaseSlotCount> storedAt{}; // 0: never
    std::uint64_t framesStored = 0;
    std::size_t lastSlot = 0; // where the last frame went: the base unless a record says otherwise
};

// Moves a finished frame into its slot; `finished` gets the slot's old
// buffers, cleared.
void storeFrame(FrameHistory& history, EventFrame& finished);

} // namespace capture
