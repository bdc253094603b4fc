// The capture encoder: the capture build of the plugin hands it every call
// and answer at the host seam, and it turns them into the chunks of a .pbcap
// file. Each frame (the events up to and including a wait) is written against
// the frame before it, and the delta state carries across chunks, so a chunk
// is read after the chunks before it.
//
// Bytes come out only through flushCapture (and the two closing marks): the
// span it returns holds whole chunks, to be appended to the file before the
// encoder is used again. Once its buffers have grown to a frame's working
// size, recording a frame allocates nothing.
#pragma once

#include "capture/event_frame.h"
#include "capture/frame_delta_writer.h"
#include "capture/frame_history.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace capture {

// A text argument: its index among the arguments and its bytes (up to the NUL).
struct TextArg {
    std::uint32_t argIndex = 0;
    std::string_view bytes;
};

// An out-parameter slot: its index among the arguments and the 32-bit value
// it held after the call.
struct SlotArg {
    std::uint32_t argIndex = 0;
    std::uint32_t value = 0;
};

// One native call as the host saw it. Texts and slots are given in the order
// of their argument indices; the words at those indices are addresses, which
// mean nothing on replay, and are kept as 0. The encoder keeps at most
// MaxArgs words, MaxResultWords result words and MaxTextBytes of a text, and
// drops a text or slot whose index is not past the one before it or not
// below the argument count.
struct NativeCallRecord {
    std::uint64_t hash = 0;
    std::span<const std::uint64_t> args;
    std::span<const TextArg> texts;
    std::span<const SlotArg> slots;
    std::span<const std::uint64_t> result;
    // Bit i: the native takes argument i as a text or a slot, given this time
    // or not. A call of such a native is never matched as a plain call: the
    // word of a null text it was given before is no word to compare.
    std::uint32_t pointerArgs = 0;
};

inline constexpr std::size_t MaxChangedEvents = 16;

// A frame that, so far, repeats a stored frame event for event, with at most
// a few calls whose words or answers changed: nothing of it is copied until it
// stops repeating (then the events matched so far are copied into the current
// frame), and a frame that repeats to its wait is written from these alone.
// The common frame costs a comparison per call this way. Once a frame is
// written, the next is taken to repeat it until its first event says
// otherwise.
struct RepeatedFrame {
    bool active = false;
    std::size_t slot = 0; // of the stored frame it repeats
    // The events whose words or answer changed, in order, each with the mask
    // of its words that changed (bit i: word i of the arguments, then the
    // answer), and room for their words, one call after the other, as many
    // as the stored call has: the changed ones hold the words as they are
    // now (0 where the stored call has a text or slot).
    std::size_t firstChange = 0; // of the call matchCall last found changed
    std::array<std::size_t, MaxChangedEvents> changed{};
    std::array<std::uint64_t, MaxChangedEvents> changedMasks{};
    std::size_t changedCount = 0;
    std::array<std::uint64_t, MaxChangedEvents*(MaxArgs + MaxResultWords)> changedWords{};
    std::size_t changedWordCount = 0;
    // The stored frame's events, the next one to repeat and their end, and its
    // words, while it is repeated (its buffers do not move before the frame
    // ends). The events before `next` repeat it; when it is not repeated,
    // `end` is `next`.
    const FrameEvent* events = nullptr;
    const FrameEvent* next = nullptr;
    const FrameEvent* end = nullptr;
    const std::uint64_t* words = nullptr;
    const std::int32_t* handles = nullptr;
};
inline std::size_t matchedEvents(const RepeatedFrame& repeated) {
    return static_cast<std::size_t>(repeated.next - repeated.events);
}

// The largest frame seen, by the size of each of its pools: every frame buffer
// keeps room for it, so that buffers passed from slot to slot never grow again
// once a frame of working size has been seen.
struct FrameRoom {
    std::size_t events = 0;
    std::size_t words = 0;
    std::size_t texts = 0;
    std::size_t textBytes = 0;
    std::size_t slots = 0;
    std::size_t handles = 0;
};

// A repeated frame's records at their largest.
inline constexpr std::size_t RepeatedFrameRecordsBound =
    1 + SameRunBound * (MaxChangedEvents + 1) +
    MaxChangedEvents * changedCallBound(MaxArgs + MaxResultWords);
inline constexpr std::size_t StagedRecordsRoom = 16 * 1024;

struct CaptureEncoder {
    FrameHistory history; // the frames a frame may be written against
    EventFrame current;   // the frame being recorded
    RepeatedFrame repeated;
    FrameRoom room;
    DeltaWriter writer;
    std::size_t baseSlot = 0;         // of the current frame's base
    std::vector<std::uint8_t> output; // chunks not yet handed out, then the open chunk
    // The records of the repeated frames written since the output last grew,
    // which follow the output's bytes: they join it in one piece, before
    // anything else is written there or the chunk closes, or when the room
    // left is less than a repeated frame's records at their largest.
    std::array<std::uint8_t, StagedRecordsRoom + RepeatedFrameRecordsBound> staged{};
    std::size_t stagedSize = 0;
    std::size_t chunkStart = 0; // of the open data chunk's header
    bool chunkOpen = false;
    bool handedOut = false; // output went to the caller: cleared before the next write
    bool stopped = false;   // a closing mark is written: nothing more is recorded
};

// Starts a capture afresh: the file signature and the header chunk.
void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity);
// Pallbrook.ini as the script read it at its start (at most MaxSettingsBytes
// are kept, marked as cut), or that there was no such file.
void recordSettingsFile(CaptureEncoder& encoder, std::string_view bytes);
void recordNoSettingsFile(CaptureEncoder& encoder);

void recordNativeCall(CaptureEncoder& encoder, const NativeCallRecord& call);

// The most bytes of a text the seam reads (a text without its end within
// them is kept cut there), and a text as the capture keeps it.
inline constexpr std::size_t MaxLiveTextRead = 4096;
inline std::string_view liveText(const char* text) {
    std::size_t length = 0;
    while (length < MaxLiveTextRead && text[length] != '\0') {
        ++length;
    }
    return {text, length};
}
// A call as the host saw it, with the words of its text and slot arguments
// (bit i of pointerArgs: argument i is one) still the addresses of the text
// and the slot. When it repeats the next event of the stored frame the
// current frame repeats (the same native, words and answer, texts by content
// and slots by value), or differs from it only in its words or answer, it is
// recorded so and the result is true; otherwise nothing is recorded. What it
// reads through the addresses is what recordNativeCall would be given for
// them: the kept text's bytes and the end after them, and each slot's 32 bits.
bool recordRepeatedLiveCall(CaptureEncoder& encoder, std::uint64_t hash,
                            std::span<const std::uint64_t> args,
                            std::span<const std::uint64_t> result, std::uint32_t pointerArgs);

// How a call compares with the stored call it would repeat, the next event
// of the stored frame the current frame repeats.
enum class CallMatch {
    Repeats,      // the same native, words, texts, slots and answer
    WordsChanged, // a plain call: the same native and word counts, other words or answer
    Differs,      // anything else, or no frame repeated
};

// A call of a native with texts or slots that repeats the stored call, one
// of such a native too: its texts by content and slots by value, its other
// words and its answer the same. It is recorded so; otherwise nothing is
// recorded.
bool repeatsLiveCall(CaptureEncoder& encoder, const std::uint64_t* args,
                     const std::uint64_t* result);

// The comparison of a few words, for the caller to inline: most calls of
// most frames end here. The result words compared are the stored call's count
// of them, which a call of the same native answered in place has too. A
// plain call is one of a native with no text or slot argument; any other is
// compared by repeatsLiveCall, and when it does not repeat exactly it is
// Differs. Repeats is recorded here; WordsChanged is recorded by
// recordChangedWords.
inline CallMatch matchCall(CaptureEncoder& encoder, std::uint64_t hash, const std::uint64_t* args,
                           std::size_t argCount, const std::uint64_t* result) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.next == repeated.end) {
        return CallMatch::Differs;
    }
    const FrameEvent& was = *repeated.next;
    if (was.hash != hash || was.plainArgCount != argCount) {
        return was.hash == hash && was.takesPointers && was.argCount == argCount &&
                       repeatsLiveCall(encoder, args, result)
                   ? CallMatch::Repeats
                   : CallMatch::Differs;
    }
    // A handful of words: compared one by one, which beats a call to memcmp.
    // Most calls take one argument or two.
    const std::uint64_t* words = repeated.words + was.firstWord;
    if (argCount == 1 || argCount == 2) {
        if (words[0] != args[0]) {
            repeated.firstChange = 0;
            return CallMatch::WordsChanged;
        }
        if (argCount == 2 && words[1] != args[1]) {
            repeated.firstChange = 1;
            return CallMatch::WordsChanged;
        }
    } else {
        for (std::size_t i = 0; i < argCount; ++i) {
            if (words[i] != args[i]) {
                repeated.firstChange = i;
                return CallMatch::WordsChanged;
            }
        }
    }
    // Most answers are one word.
    words += argCount;
    if (was.resultCount == 1) {
        if (words[0] != result[0]) {
            repeated.firstChange = argCount;
            return CallMatch::WordsChanged;
        }
    } else {
        for (std::size_t i = 0; i < was.resultCount; ++i) {
            if (words[i] != result[i]) {
                repeated.firstChange = argCount + i;
                return CallMatch::WordsChanged;
            }
        }
    }
    ++repeated.next;
    return CallMatch::Repeats;
}

// Records a call that differs from the next stored call in its words alone
// (as matchCall finds WordsChanged) as one of the few changed calls a
// frame may hold, and says whether it could: past that few, nothing is
// recorded and the call is to be recorded as any other. The words at
// `pointers` (texts and slots) stay 0, as the stored call keeps them; the
// words before `from` (the arguments, then the answer) are known to be the
// stored ones. It writes into arrays of a frame's most, so it cannot fail.
inline bool recordChangedWords(CaptureEncoder& encoder, const std::uint64_t* args,
                               const std::uint64_t* result, std::uint32_t pointers = 0,
                               std::size_t from = 0) noexcept {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.changedCount == MaxChangedEvents) {
        return false;
    }
    const FrameEvent& was = *repeated.next;
    const std::uint64_t* stored = repeated.words + was.firstWord;
    std::uint64_t* now = repeated.changedWords.data() + repeated.changedWordCount;
    std::uint64_t mask = 0;
    std::uint64_t bit = std::uint64_t{1} << from;
    for (std::size_t i = from; i < was.argCount; ++i, bit <<= 1) {
        now[i] = (pointers >> i & 1u) == 0 ? args[i] : 0;
        if (now[i] != stored[i]) {
            mask |= bit;
        }
    }
    for (std::size_t i = std::max<std::size_t>(from, was.argCount);
         i < was.argCount + was.resultCount; ++i, bit <<= 1) {
        now[i] = result[i - was.argCount];
        if (now[i] != stored[i]) {
            mask |= bit;
        }
    }
    if (mask != 0) {
        repeated.changed[repeated.changedCount] = matchedEvents(repeated);
        repeated.changedMasks[repeated.changedCount++] = mask;
        repeated.changedWordCount += was.argCount + was.resultCount;
    }
    ++repeated.next;
    return true;
}
// A ped list answer that repeats the next event of the stored frame (not its
// first: a frame's first event picks the frame it repeats), for the caller to
// inline: recorded so, and true; otherwise nothing is recorded.
inline bool repeatsPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                              const std::int32_t* written, std::int32_t returned) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.next == repeated.end || repeated.next == repeated.events) {
        return false;
    }
    const FrameEvent& was = *repeated.next;
    if (was.kind != EventKind::PedsAnswer || was.pedsCapacity != capacity ||
        was.pedsReturned != returned) {
        return false;
    }
    const auto count = static_cast<std::size_t>(std::max(0, std::min(returned, capacity)));
    const std::size_t kept = std::min(count, MaxPedHandles);
    if (was.handleCount != kept ||
        (kept != 0 && std::memcmp(repeated.handles + was.firstHandle, written,
                                  kept * sizeof(std::int32_t)) != 0)) {
        return false;
    }
    ++repeated.next;
    return true;
}
// worldGetAllPeds: the array size it was given, the handles it wrote (at most
// MaxPedHandles kept) and the count it returned.
void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                      std::span<const std::int32_t> written, std::int32_t returned);
// scriptWait, the end of a frame.
void recordWait(CaptureEncoder& encoder, std::uint32_t ms);

// Writes what has been recorded, closes the open chunk and returns every
// byte not handed out before. Valid until the next call on the encoder.
std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder);

// The closing marks: the caller stopped the capture at its byte cap, or the
// capture ended at unload. Each flushes first; afterwards records are ignored.
std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes);
std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder);
// The closing mark of a capture build that sat out: the shipped plugin was
// loaded too.
std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder);

} // namespace capture
