// The capture encoder: the capture build of the plugin hands it every call
// and answer at the host seam, and it turns them into the chunks of a .pbcap
// file (docs/capture-format.md). Most frames repeat the frame before event for
// event but for some calls' words (the game timer's answer, a position), so
// each event is first compared with the next event of the frame before: a
// repeat, or a call whose words alone differ, is just noted, and a frame that
// repeats to its wait is one Repeat record. At the first event that differs
// in anything else, the events repeated so far are copied into the current
// frame and the rest goes to the general writer (DeltaWriter, below). Every
// frame is written against the frame before. Bytes come out only through
// flushCapture and the closing marks, as whole chunks. Once its buffers have
// grown to a frame's working size, recording a frame allocates nothing.
#pragma once

#include "capture/format/capture_format.h"
#include "capture/format/event_frame.h"

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

// One native call as the host saw it, texts and slots in the order of their
// argument indices (their words, addresses, are kept as 0). The encoder keeps
// at most MaxArgs words, MaxResultWords result words and MaxTextBytes of a
// text, and drops a text or slot out of order or beyond the arguments.
struct NativeCallRecord {
    std::uint64_t hash = 0;
    std::span<const std::uint64_t> args;
    std::span<const TextArg> texts;
    std::span<const SlotEntry> slots;
    std::span<const std::uint64_t> result;
};

// How far the current frame repeats the frame before.
struct RepeatedFrame {
    bool active = false;
    std::size_t eventCount = 0; // of the frame before
    std::size_t next = 0;       // of its events, the next to compare: those before it repeated
    std::array<RepeatSite, MaxRepeatCalls> changedCalls{}; // the calls whose words changed
    std::size_t changedCount = 0;
    // The changed calls' words as they are now, one call after another, 0 at
    // texts and slots.
    std::array<std::uint64_t, MaxRepeatCalls*(MaxArgs + MaxResultWords)> newWords{};
    std::size_t newWordCount = 0;
};

// Writes the events of a frame as records against the frame before (the
// base): runs of events the same as the base event at the cursor, base events
// passed over, and events written whole. docs/capture-format.md gives the
// records' layout.
struct DeltaWriter {
    std::size_t baseCursor = 0; // next base event a record may refer to
    std::size_t nextEvent = 0;  // first event of the current frame not yet written
    std::size_t sameRun = 0;    // events the same as the base, not yet written
    std::array<std::uint64_t, HashCacheSize> hashCache{};
};

// Writes the next event of the current frame (frame_delta_writer.cpp). A run
// of events the same as the base stays open until a different event comes or
// closeSameRun.
void writeNextEvent(DeltaWriter& writer, const EventFrame& base, const EventFrame& current,
                    std::vector<std::uint8_t>& out);
void closeSameRun(DeltaWriter& writer, std::vector<std::uint8_t>& out);
// After a wait: the current frame becomes the base of the next.
inline void startNextFrame(DeltaWriter& writer) {
    writer.baseCursor = 0;
    writer.nextEvent = 0;
}

// zlib's stream state, made at the first data chunk and reset for each.
struct DeflateStream;
struct DeflateStreamDeleter {
    void operator()(DeflateStream* stream) const;
};

struct CaptureEncoder {
    EventFrame last;    // the frame before: the current frame is written against it
    EventFrame current; // the frame being recorded, once it stops repeating
    RepeatedFrame repeated;
    DeltaWriter writer;
    std::array<RepeatSite, MaxRepeatCalls> lastSites{}; // of the last Repeat giving them
    std::size_t lastSiteCount = 0;
    bool sitesWritten = false;
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

// The three events of a frame: recordNativeCall and recordPedsAnswer (the
// array size given, the handles written, the count returned) are inline,
// below; scriptWait ends the frame.
void recordWait(CaptureEncoder& encoder, std::uint32_t ms);

// Writes what has been recorded, closes the open chunk and returns every
// byte not handed out before. Valid until the next call on the encoder.
std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder);

// The closing marks, each after a flush: the byte cap reached, unload, and
// the capture build standing down as the shipped plugin was loaded too.
// Afterwards records are ignored.
std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes);
std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder);
std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder);

// Notes a call whose words alone changed, if the frame has room for one more:
// its words, 0 at `pointers` (its texts and slots), and which changed. Takes
// the words, not the call, so that the comparison keeps the call in registers.
bool noteChangedCall(CaptureEncoder& encoder, const std::uint64_t* args, std::size_t argCount,
                     const std::uint64_t* result, std::size_t resultCount, std::uint32_t pointers);
// A ped list or call (its words already cut) that does not repeat its event in
// the frame before: the frame stops repeating, and the event goes into it.
void recordPedsThatDiffer(CaptureEncoder& encoder, std::int32_t capacity,
                          std::span<const std::int32_t> kept, std::int32_t returned);
void recordCallThatDiffers(CaptureEncoder& encoder, const NativeCallRecord& call);

// Between the recording of events (capture_encoder.cpp) and the writing of
// chunks (encoder_output.cpp): the events repeated so far go into the current
// frame; a frame that repeated to its wait is written as a Repeat record; a
// frame recorded event by event is written by the general writer.
void stopRepeating(CaptureEncoder& encoder);
void writeRepeatedFrame(CaptureEncoder& encoder);
void writeCompleteFrame(CaptureEncoder& encoder);

// The event of the frame before that the next event (of this shape word) is
// compared with, or null when the frame does not repeat it: a frame repeats
// the frame before only if it starts with the same event. Inline: it runs for
// every event.
inline const FrameEvent* nextRepeatedEvent(CaptureEncoder& encoder, std::uint64_t shapeWord) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.active && repeated.next == 0 &&
        eventShapeWord(encoder.last.events[0]) != shapeWord) {
        repeated.active = false;
    }
    if (!repeated.active || repeated.next == repeated.eventCount) {
        return nullptr;
    }
    return &encoder.last.events[repeated.next];
}

// Whether a call has the earlier call's native, word counts, texts and slots;
// `pointers` gets the mask of the arguments its texts and slots are at.
inline bool sameNativeTextsAndSlots(const EventFrame& before, const FrameEvent& was,
                                    const NativeCallRecord& call, std::uint32_t& pointers) {
    if (was.kind != EventKind::NativeCall || was.hash != call.hash ||
        was.argCount != call.args.size() || was.resultCount != call.result.size() ||
        was.textCount != call.texts.size() || was.slotCount != call.slots.size()) {
        return false;
    }
    pointers = 0;
    const auto texts = textsOf(before, was);
    for (std::size_t k = 0; k < call.texts.size(); ++k) {
        if (texts[k].argIndex != call.texts[k].argIndex ||
            textBytesOf(before, texts[k]) != call.texts[k].bytes.substr(0, MaxTextBytes)) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.texts[k].argIndex & 31);
    }
    const auto slots = slotsOf(before, was);
    for (std::size_t k = 0; k < call.slots.size(); ++k) {
        if (slots[k].argIndex != call.slots[k].argIndex || slots[k].value != call.slots[k].value) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.slots[k].argIndex & 31);
    }
    return true;
}

// Whether a call's words and answer are the earlier call's, but for the words
// at `pointers`, which are not compared.
inline bool sameWords(const EventFrame& before, const FrameEvent& was, const NativeCallRecord& call,
                      std::uint32_t pointers) {
    const std::uint64_t* words = before.words.data() + was.firstWord;
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

// Compares a call, its words already cut, with the next event of the frame before: true
// when it repeats it, or differs only in its words while the frame has room
// for another changed call, and is noted, or when the capture has stopped;
// false when it must go into the current frame (recordCallThatDiffers).
// Allocates nothing.
inline bool noteRepeatedCall(CaptureEncoder& encoder, const NativeCallRecord& call) {
    if (encoder.stopped) {
        return true;
    }
    const FrameEvent* was = nextRepeatedEvent(encoder, call.hash);
    std::uint32_t pointers = 0;
    if (was == nullptr || !sameNativeTextsAndSlots(encoder.last, *was, call, pointers)) {
        return false;
    }
    if (!sameWords(encoder.last, *was, call, pointers) &&
        !noteChangedCall(encoder, call.args.data(), call.args.size(), call.result.data(),
                         call.result.size(), pointers)) {
        return false;
    }
    ++encoder.repeated.next;
    return true;
}

inline void recordNativeCall(CaptureEncoder& encoder, const NativeCallRecord& call) {
    const NativeCallRecord kept{call.hash, call.args.first(std::min(call.args.size(), MaxArgs)),
                                call.texts, call.slots,
                                call.result.first(std::min(call.result.size(), MaxResultWords))};
    if (!noteRepeatedCall(encoder, kept)) {
        recordCallThatDiffers(encoder, kept);
    }
}

// The same for a ped list answer, its handles already cut.
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
    const auto handles = handlesOf(encoder.last, *was);
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
