// The events of one frame, kept flat: event records that point into pools of
// words, text bytes, slots and ped handles. Clearing a frame keeps its
// capacity, so a frame of working size is refilled without allocating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace capture {

enum class EventKind : std::uint8_t { NativeCall, PedsAnswer, Wait };

struct TextEntry {
    std::uint32_t argIndex = 0;
    std::size_t offset = 0; // into EventFrame::textBytes
    std::size_t size = 0;
};

// An out-parameter slot: its argument index and what it held after the call.
struct SlotEntry {
    std::uint32_t argIndex = 0;
    std::uint32_t value = 0;
    bool operator==(const SlotEntry&) const = default;
};

struct FrameEvent {
    EventKind kind = EventKind::Wait;
    // Native call: args then result words in EventFrame::words.
    std::uint64_t hash = 0;
    std::uint32_t argCount = 0;
    std::uint32_t resultCount = 0;
    std::uint32_t textCount = 0;
    std::uint32_t slotCount = 0;
    std::size_t firstWord = 0;
    std::size_t firstText = 0;
    std::size_t firstSlot = 0;
    // Ped list answer: the array size asked for, the count returned, and the
    // handles written.
    std::int32_t pedsCapacity = 0;
    std::int32_t pedsReturned = 0;
    std::size_t firstHandle = 0;
    std::size_t handleCount = 0;
    // Wait.
    std::uint32_t waitMs = 0;
};

struct EventFrame {
    std::vector<FrameEvent> events;
    std::vector<std::uint64_t> words;
    std::vector<TextEntry> texts;
    std::vector<char> textBytes;
    std::vector<SlotEntry> slots;
    std::vector<std::int32_t> handles;
};

void clearFrame(EventFrame& frame);

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

inline std::span<const std::uint64_t> argsOf(const EventFrame& frame, const FrameEvent& event) {
    return {frame.words.data() + event.firstWord, event.argCount};
}
inline std::span<const std::uint64_t> resultOf(const EventFrame& frame, const FrameEvent& event) {
    return {frame.words.data() + event.firstWord + event.argCount, event.resultCount};
}
inline std::span<const TextEntry> textsOf(const EventFrame& frame, const FrameEvent& event) {
    return {frame.texts.data() + event.firstText, event.textCount};
}
inline std::string_view textBytesOf(const EventFrame& frame, const TextEntry& text) {
    return {frame.textBytes.data() + text.offset, text.size};
}
inline std::span<const SlotEntry> slotsOf(const EventFrame& frame, const FrameEvent& event) {
    return {frame.slots.data() + event.firstSlot, event.slotCount};
}
inline std::span<const std::int32_t> handlesOf(const EventFrame& frame, const FrameEvent& event) {
    return {frame.handles.data() + event.firstHandle, event.handleCount};
}

// Whether two events, each in its own frame, hold the same call and answer.
bool sameEvent(const EventFrame& a, const FrameEvent& x, const EventFrame& b, const FrameEvent& y);
// Whether they differ in more than the answer: the kind, the hash or the
// argument words (a changed answer alone leaves the calls lined up).
bool differsInCall(const EventFrame& a, const FrameEvent& x, const EventFrame& b,
                   const FrameEvent& y);

// Appends a copy of an event of another frame.
void copyEvent(EventFrame& to, const EventFrame& from, const FrameEvent& event);

// Building an event piece by piece: begin it, add its parts, and it is
// complete. The parts go to the pools in the order given.
FrameEvent& beginNativeCall(EventFrame& frame, std::uint64_t hash);
void addArg(EventFrame& frame, std::uint64_t word);
void addResultWord(EventFrame& frame, std::uint64_t word);
void addText(EventFrame& frame, std::uint32_t argIndex, std::string_view bytes);
void addSlot(EventFrame& frame, SlotEntry slot);
FrameEvent& beginPedsAnswer(EventFrame& frame, std::int32_t capacity, std::int32_t returned);
void addHandle(EventFrame& frame, std::int32_t handle);
void addWait(EventFrame& frame, std::uint32_t ms);

} // namespace capture
