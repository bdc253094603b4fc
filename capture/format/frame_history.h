// The recent frames that a frame may be written against, each of its shape
// in a slot (a game frame cut by a dictionary wait gives frames of other
// shapes). Writer and reader store alike, so a slot means the same frame on
// both sides.
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

// An event's kind and hash as one word, for telling shapes apart: a call's
// hash, or one of these.
inline constexpr std::uint64_t PedsAnswerShapeWord = 0xFFFF'FFFF'FFFF'FF01ull;
inline constexpr std::uint64_t WaitShapeWord = 0xFFFF'FFFF'FFFF'FF02ull;
inline std::uint64_t eventShapeWord(const FrameEvent& event) {
    switch (event.kind) {
    case EventKind::NativeCall:
        return event.hash;
    case EventKind::PedsAnswer:
        return PedsAnswerShapeWord;
    case EventKind::Wait:
        return WaitShapeWord;
    }
    return 0;
}
FrameShape shapeOf(const EventFrame& frame);

// Moves a finished frame into its slot; `finished` gets the slot's old
// buffers, cleared.
void storeFrame(FrameHistory& history, EventFrame& finished);

// The slot of the latest stored frame that starts with this event, or
// BaseSlotCount when none does.
std::size_t latestStartingWith(const FrameHistory& history, std::uint64_t firstShapeWord);

// The slot to write a frame against: the one of the same shape, else the
// latest with the same first event, else the last. `complete` tells whether
// the frame has its wait yet.
std::size_t chooseBase(const FrameHistory& history, const EventFrame& frame, bool complete);

} // namespace capture
