// The capture encoder: the capture build of the plugin hands it every call
// and answer at the host seam, and it turns them into the chunks of a .pbcap
// file, each frame written against a recent frame of the same shape, its base
// (docs/capture-format.md).
//
// Most frames repeat a stored frame event for event, with a few calls whose
// words changed (the game timer's answer, a position). So each event is first
// compared with the next event of the stored frame the current frame is taken
// to repeat: a repeat, or a call that differs only in its words, is just
// noted, and a frame that repeats to its wait is written from those notes.
// At the first event that differs in anything else, the events repeated so
// far are copied into the current frame and the rest goes to the general
// writer (frame_delta_writer.h). Both ways give the same bytes.
//
// Bytes come out only through flushCapture and the closing marks, as whole
// chunks. Once its buffers have grown to a frame's working size, recording a
// frame allocates nothing.
#pragma once

#include "capture/format/event_frame.h"
#include "capture/format/frame_history.h"
#include "capture/format/writer/frame_delta_writer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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
};

// A call of the repeated frame whose words changed: its index in the stored
// frame, which of its argument and answer words changed (bit i: word i), and
// where its words as they are now start in RepeatedFrame::newWords.
struct ChangedCall {
    std::size_t event = 0;
    std::uint32_t argsChanged = 0;
    std::uint32_t resultChanged = 0;
    std::size_t firstNewWord = 0;
};

// The stored frame the current frame is taken to repeat, and how far it has
// repeated it. Nothing of the current frame is copied while it repeats.
struct RepeatedFrame {
    bool active = false;
    std::size_t slot = 0;               // of the stored frame in the history
    const EventFrame* stored = nullptr; // history.frames[slot]
    std::size_t eventCount = 0;         // of the stored frame
    std::size_t next = 0; // of its events, the next to compare: those before it repeated
    std::array<ChangedCall, MaxRepeatCalls> changedCalls{};
    std::size_t changedCount = 0;
    // The changed calls' argument and answer words, one call after another,
    // 0 where the call has a text or slot (as the stored call keeps them).
    std::array<std::uint64_t, MaxRepeatCalls*(MaxArgs + MaxResultWords)> newWords{};
    std::size_t newWordCount = 0;
};

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

// zlib's stream state, made at the first data chunk and reset for each.
struct DeflateStream;
struct DeflateStreamDeleter {
    void operator()(DeflateStream* stream) const;
};

struct CaptureEncoder {
    FrameHistory history; // the frames a frame may be written against
    EventFrame current;   // the frame being recorded, once it stops repeating
    RepeatedFrame repeated;
    FrameRoom room;
    DeltaWriter writer;
    // The changed calls' sites of the last Repeat record that wrote them.
    std::array<ChangedCall, MaxRepeatCalls> lastSites{};
    std::size_t lastSiteCount = 0;
    bool sitesWritten = false;
    std::size_t baseSlot = 0;         // of the current frame's base
    std::vector<std::uint8_t> output; // chunks not yet handed out, then the open chunk
    std::size_t chunkStart = 0;       // of the open data chunk's header
    bool chunkOpen = false;
    bool handedOut = false; // output went to the caller: cleared before the next write
    bool stopped = false;   // a closing mark is written: nothing more is recorded
    std::unique_ptr<DeflateStream, DeflateStreamDeleter> deflater;
    std::vector<std::uint8_t> compressed; // a chunk's records, before they replace them
};

// Starts a capture afresh: the file signature and the header chunk.
void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity);
// Pallbrook.ini as the script read it at its start (at most MaxSettingsBytes
// are kept, marked as cut), or that there was no such file.
void recordSettingsFile(CaptureEncoder& encoder, std::string_view bytes);
void recordNoSettingsFile(CaptureEncoder& encoder);

// The three events of a frame; recordNativeCall is below.
// worldGetAllPeds: the array size it was given, the handles it wrote (at most
// MaxPedHandles kept) and the count it returned; inline, below.
// scriptWait, the end of a frame.
void recordWait(CaptureEncoder& encoder, std::uint32_t ms);

// Writes what has been recorded, closes the open chunk and returns every
// byte not handed out before. Valid until the next call on the encoder.
std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder);

// The closing marks: the caller stopped the capture at its byte cap, or the
// capture ended at unload. Each flushes first; afterwards records are ignored.
std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes);
std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder);
// The closing mark of a capture build that stood down because the shipped
// plugin was loaded too.
std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder);

// Whether the frame, at its first event or after it stopped repeating, is
// taken to repeat a stored one: a frame's first event picks the stored frame
// it is taken to repeat, and a frame taken to repeat the last one written
// that starts with another event is predicted again from that event.
bool repeatsAStoredFrame(CaptureEncoder& encoder, std::uint64_t shapeWord);
// Notes a call whose words alone changed, if the frame has room for one more:
// its words as they are now, 0 at `pointers` (its texts and slots), and which
// of them changed. Takes the words, not the call, so that the comparison
// before it keeps the call in registers.
bool noteChangedCall(CaptureEncoder& encoder, const std::uint64_t* args, std::size_t argCount,
                     const std::uint64_t* result, std::size_t resultCount, std::uint32_t pointers);
// A ped list answer that does not repeat the stored frame's: the frame stops
// repeating it, and the answer goes into the current frame.
void recordPedsThatDiffer(CaptureEncoder& encoder, std::int32_t capacity,
                          std::span<const std::int32_t> kept, std::int32_t returned);
// A call, its words already cut to MaxArgs and MaxResultWords, that does not
// repeat the stored frame: the frame stops repeating it, and the call goes
// into the current frame.
void recordCallThatDiffers(CaptureEncoder& encoder, const NativeCallRecord& call);

// Between the recording of events (capture_encoder.cpp) and the writing of
// chunks (encoder_output.cpp): the frame stops repeating, the events it
// repeated going into the current frame; a frame that repeated the stored one
// to its wait is written from its notes, the stored frame taking the new
// words; a frame recorded event by event, complete with its wait, is written.
void stopRepeating(CaptureEncoder& encoder);
void writeRepeatedFrame(CaptureEncoder& encoder);
void writeCompleteFrame(CaptureEncoder& encoder);

// The stored event the next event of the frame is to be compared with (its
// shape word: eventShapeWord), or null when the frame no longer repeats a
// stored one or has gone past its end. Inline: it runs for every event.
inline const FrameEvent* nextRepeatedEvent(CaptureEncoder& encoder, std::uint64_t shapeWord) {
    RepeatedFrame& repeated = encoder.repeated;
    if ((!repeated.active || repeated.next == 0) && !repeatsAStoredFrame(encoder, shapeWord)) {
        return nullptr;
    }
    return repeated.next < repeated.eventCount ? &repeated.stored->events[repeated.next] : nullptr;
}

// Whether a call has the stored call's native, word counts, texts and slots;
// `pointers` gets the mask of the arguments its texts and slots are at.
inline bool sameNativeTextsAndSlots(const EventFrame& stored, const FrameEvent& was,
                                    const NativeCallRecord& call, std::uint32_t& pointers) {
    if (was.kind != EventKind::NativeCall || was.hash != call.hash ||
        was.argCount != call.args.size() || was.resultCount != call.result.size() ||
        was.textCount != call.texts.size() || was.slotCount != call.slots.size()) {
        return false;
    }
    pointers = 0;
    const auto texts = textsOf(stored, was);
    for (std::size_t k = 0; k < call.texts.size(); ++k) {
        if (texts[k].argIndex != call.texts[k].argIndex ||
            textBytesOf(stored, texts[k]) != call.texts[k].bytes.substr(0, MaxTextBytes)) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.texts[k].argIndex & 31);
    }
    const auto slots = slotsOf(stored, was);
    for (std::size_t k = 0; k < call.slots.size(); ++k) {
        if (slots[k].argIndex != call.slots[k].argIndex || slots[k].value != call.slots[k].value) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.slots[k].argIndex & 31);
    }
    return true;
}

// Whether a call's words and answer are the stored call's, but for the words
// at `pointers`, which are not compared.
inline bool sameWords(const EventFrame& stored, const FrameEvent& was, const NativeCallRecord& call,
                      std::uint32_t pointers) {
    const std::uint64_t* words = stored.words.data() + was.firstWord;
    for (std::size_t i = 0; i < was.argCount; ++i) {
        if (words[i] != call.args[i] && (pointers >> i & 1u) == 0) {
            return false;
        }
    }
    words += was.argCount;
    for (std::size_t i = 0; i < was.resultCount; ++i) {
        if (words[i] != call.result[i]) {
            return false;
        }
    }
    return true;
}

// Compares a call with the stored call `was`: the same native, word counts,
// texts by content and slots by value, and then its words but those of its
// texts and slots. A call that repeats it, or differs only in its words
// while the frame has room for another changed call, is noted and the result
// is true; otherwise nothing is noted.
inline bool repeatsCall(CaptureEncoder& encoder, const FrameEvent& was,
                        const NativeCallRecord& call) {
    RepeatedFrame& repeated = encoder.repeated;
    const EventFrame& stored = *repeated.stored;
    std::uint32_t pointers = 0;
    if (!sameNativeTextsAndSlots(stored, was, call, pointers)) {
        return false;
    }
    if (!sameWords(stored, was, call, pointers) &&
        !noteChangedCall(encoder, call.args.data(), call.args.size(), call.result.data(),
                         call.result.size(), pointers)) {
        return false;
    }
    ++repeated.next;
    return true;
}

// Compares a call, its words already cut to MaxArgs and MaxResultWords, with
// the next stored event. True when the call is noted, as a repeat or as a
// call whose words changed, or when the capture has stopped; false when it
// must go into the current frame (recordCallThatDiffers). Allocates nothing.
inline bool noteRepeatedCall(CaptureEncoder& encoder, const NativeCallRecord& call) {
    if (encoder.stopped) {
        return true;
    }
    const FrameEvent* was = nextRepeatedEvent(encoder, call.hash);
    return was != nullptr && repeatsCall(encoder, *was, call);
}

inline void recordNativeCall(CaptureEncoder& encoder, const NativeCallRecord& call) {
    const NativeCallRecord kept{call.hash, call.args.first(std::min(call.args.size(), MaxArgs)),
                                call.texts, call.slots,
                                call.result.first(std::min(call.result.size(), MaxResultWords))};
    if (!noteRepeatedCall(encoder, kept)) {
        recordCallThatDiffers(encoder, kept);
    }
}

// Compares a ped list answer, its handles already cut to MaxPedHandles, with
// the next stored event: true when it repeats it (noted) or the capture has
// stopped. Allocates nothing.
inline bool noteRepeatedPeds(CaptureEncoder& encoder, std::int32_t capacity,
                             std::span<const std::int32_t> kept, std::int32_t returned) {
    if (encoder.stopped) {
        return true;
    }
    const FrameEvent* was = nextRepeatedEvent(encoder, PedsAnswerShapeWord);
    if (was == nullptr || was->kind != EventKind::PedsAnswer || was->pedsCapacity != capacity ||
        was->pedsReturned != returned) {
        return false;
    }
    const auto handles = handlesOf(*encoder.repeated.stored, *was);
    if (!std::equal(kept.begin(), kept.end(), handles.begin(), handles.end())) {
        return false;
    }
    ++encoder.repeated.next;
    return true;
}

inline void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                             std::span<const std::int32_t> written, std::int32_t returned) {
    const auto kept = written.first(std::min(written.size(), MaxPedHandles));
    if (!noteRepeatedPeds(encoder, capacity, kept, returned)) {
        recordPedsThatDiffer(encoder, capacity, kept, returned);
    }
}

} // namespace capture
