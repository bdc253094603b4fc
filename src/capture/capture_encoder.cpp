#include "capture/capture_encoder.h"

#include "capture/byte_codec.h"
#include "capture/capture_format.h"
#include "capture/crc32.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace capture {

namespace {

void prepareOutput(CaptureEncoder& encoder) {
    if (encoder.handedOut) {
        encoder.output.clear();
        encoder.handedOut = false;
    }
}

// The staged records of repeated frames join the output.
void commitStaged(CaptureEncoder& encoder) {
    if (encoder.stagedSize != 0) {
        encoder.output.insert(encoder.output.end(), encoder.staged.data(),
                              encoder.staged.data() + encoder.stagedSize);
        encoder.stagedSize = 0;
    }
}

std::size_t openChunk(std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + ChunkHeaderSize);
    return start;
}

void sealChunk(std::vector<std::uint8_t>& out, std::size_t start, const ChunkTag& tag) {
    std::uint8_t* header = out.data() + start;
    const std::span<const std::uint8_t> payload(out.data() + start + ChunkHeaderSize,
                                                out.size() - start - ChunkHeaderSize);
    std::copy(tag.begin(), tag.end(), header);
    storeU32(header + 4, static_cast<std::uint32_t>(payload.size()));
    storeU32(header + 8, crc32(payload));
    storeU32(header + 12, crc32({header, 12}));
}

// The open data chunk is sealed, or dropped when nothing went into it.
void closeDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        return;
    }
    commitStaged(encoder);
    closeSameRun(encoder.writer, encoder.output);
    if (encoder.output.size() == encoder.chunkStart + ChunkHeaderSize) {
        encoder.output.resize(encoder.chunkStart);
    } else {
        sealChunk(encoder.output, encoder.chunkStart, DataTag);
    }
    encoder.chunkOpen = false;
}

void openDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        encoder.chunkStart = openChunk(encoder.output);
        encoder.chunkOpen = true;
    }
}

// The current frame, empty, is taken to repeat the frame in this slot.
void repeatFrom(CaptureEncoder& encoder, std::size_t slot) {
    RepeatedFrame& repeated = encoder.repeated;
    const EventFrame& base = encoder.history.frames[slot];
    repeated.active = !base.events.empty();
    repeated.slot = slot;
    repeated.events = base.events.data();
    repeated.next = repeated.events;
    repeated.end = repeated.events + base.events.size();
    repeated.words = base.words.data();
    repeated.handles = base.handles.data();
    repeated.changedCount = 0;
    repeated.changedWordCount = 0;
}

// The frame no longer repeats a stored one; the events it repeated so far
// are still counted.
void stopMatching(RepeatedFrame& repeated) {
    repeated.active = false;
    repeated.end = repeated.next;
}

// The stored frame a frame starting with this event most likely repeats: the
// latest with the same first event.
bool predictRepeat(CaptureEncoder& encoder, std::uint64_t firstShapeWord) {
    const FrameHistory& history = encoder.history;
    std::size_t best = BaseSlotCount;
    std::uint64_t bestAt = 0;
    for (std::size_t i = 0; i < BaseSlotCount; ++i) {
        if (history.storedAt[i] > bestAt && history.shapes[i].first == firstShapeWord) {
            best = i;
            bestAt = history.storedAt[i];
        }
    }
    if (best == BaseSlotCount) {
        return false;
    }
    repeatFrom(encoder, best);
    return true;
}

// The next event of the repeated frame, if the frame still repeats one and
// has events left. A frame taken to repeat the last one written that starts
// with another event is predicted again from that event.
const FrameEvent* repeatedNext(CaptureEncoder& encoder, std::uint64_t shapeWord) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.active && repeated.next == repeated.events &&
        eventShapeWord(repeated.events[0]) != shapeWord) {
        stopMatching(repeated);
    }
    if (!repeated.active &&
        (!encoder.current.events.empty() || !predictRepeat(encoder, shapeWord))) {
        return nullptr;
    }
    return repeated.next != repeated.end ? repeated.next : nullptr;
}

// Whether a call's words and answer are those of the next stored call, but
// for the words at `pointers` (its texts and slots, kept as 0), which are not
// compared.
[[gnu::always_inline]] inline bool sameWords(const RepeatedFrame& repeated,
                                             const std::uint64_t* args, std::uint32_t pointers,
                                             const std::uint64_t* result) {
    const FrameEvent& was = *repeated.next;
    const std::uint64_t* words = repeated.words + was.firstWord;
    for (std::uint32_t i = 0; i < was.argCount; ++i) {
        if (words[i] != args[i] && (pointers >> i & 1u) == 0) {
            return false;
        }
    }
    words += was.argCount;
    if (was.resultCount == 1) {
        return words[0] == result[0];
    }
    for (std::uint32_t i = 0; i < was.resultCount; ++i) {
        if (words[i] != result[i]) {
            return false;
        }
    }
    return true;
}

// The words of a call against those of the next stored call, which it
// repeats in all else, its texts and slots. The same words repeat the stored
// call; other words make it one of the few changed calls a frame may hold.
bool repeatsWords(CaptureEncoder& encoder, const std::uint64_t* args, std::uint32_t pointers,
                  const std::uint64_t* result) {
    if (!sameWords(encoder.repeated, args, pointers, result)) {
        return recordChangedWords(encoder, args, result, pointers);
    }
    ++encoder.repeated.next;
    return true;
}

// The call repeats the stored event: the same hash, texts and slots, and the
// same words and answer, or it is one of the few changed calls a frame may
// hold.
bool repeatsCall(CaptureEncoder& encoder, const NativeCallRecord& call, std::uint32_t argCount,
                 std::uint32_t resultCount) {
    const FrameEvent* was = repeatedNext(encoder, call.hash);
    if (was == nullptr || was->kind != EventKind::NativeCall || was->hash != call.hash ||
        was->argCount != argCount || was->resultCount != resultCount ||
        was->textCount != call.texts.size() || was->slotCount != call.slots.size()) {
        return false;
    }
    const EventFrame& base = encoder.history.frames[encoder.repeated.slot];
    std::uint32_t pointers = 0;
    const auto texts = textsOf(base, *was);
    for (std::size_t k = 0; k < call.texts.size(); ++k) {
        if (texts[k].argIndex != call.texts[k].argIndex ||
            textBytesOf(base, texts[k]) != call.texts[k].bytes.substr(0, MaxTextBytes)) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.texts[k].argIndex & 31);
    }
    const auto slots = slotsOf(base, *was);
    for (std::size_t k = 0; k < call.slots.size(); ++k) {
        if (slots[k].argIndex != call.slots[k].argIndex || slots[k].value != call.slots[k].value) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.slots[k].argIndex & 31);
    }
    return repeatsWords(encoder, call.args.data(), pointers, call.result.data());
}

// The frame stops repeating: the events matched so far go into the current
// frame, with their changed answers, and it is recorded event by event.
void stopRepeating(CaptureEncoder& encoder) {
    RepeatedFrame& repeated = encoder.repeated;
    if (!repeated.active) {
        return;
    }
    stopMatching(repeated);
    const EventFrame& base = encoder.history.frames[repeated.slot];
    EventFrame& current = encoder.current;
    std::size_t j = 0;
    const std::uint64_t* now = repeated.changedWords.data();
    const std::size_t matched = matchedEvents(repeated);
    for (std::size_t k = 0; k < matched; ++k) {
        copyEvent(current, base, base.events[k]);
        if (j < repeated.changedCount && repeated.changed[j] == k) {
            const FrameEvent& event = current.events.back();
            std::uint64_t* words = current.words.data() + event.firstWord;
            for (std::uint64_t bits = repeated.changedMasks[j]; bits != 0; bits &= bits - 1) {
                const auto i = static_cast<std::size_t>(std::countr_zero(bits));
                words[i] = now[i];
            }
            now += event.argCount + event.resultCount;
            ++j;
        }
    }
}

// A frame that repeated a stored one to its wait: runs of the same events and
// the changed calls, written as the event-by-event writer writes them; the
// stored frame takes the changes and becomes the latest, as the reader's copy
// does when it reads the frame.
void writeRepeatedFrame(CaptureEncoder& encoder) {
    RepeatedFrame& repeated = encoder.repeated;
    FrameHistory& history = encoder.history;
    EventFrame& base = history.frames[repeated.slot];
    DeltaWriter& writer = encoder.writer;
    if (encoder.stagedSize == 0) {
        prepareOutput(encoder);
        openDataChunk(encoder);
    } else if (encoder.stagedSize > StagedRecordsRoom) {
        commitStaged(encoder);
    }
    std::uint8_t* out = encoder.staged.data() + encoder.stagedSize;
    if (repeated.slot != history.lastSlot) {
        *out++ = static_cast<std::uint8_t>(op::Base | repeated.slot);
    }
    std::size_t next = 0;
    const std::uint64_t* now = repeated.changedWords.data();
    for (std::size_t j = 0; j < repeated.changedCount; ++j) {
        const std::size_t at = repeated.changed[j];
        writer.sameRun += at - next;
        if (writer.sameRun > 0) {
            out = storeSameRun(writer.sameRun, out);
            writer.sameRun = 0;
        }
        const FrameEvent& was = base.events[at];
        const std::uint64_t mask = repeated.changedMasks[j];
        out = writeChangedCall(base.words.data() + was.firstWord, was.argCount, was.resultCount,
                               mask, now, out);
        now += was.argCount + was.resultCount;
        next = at + 1;
    }
    writer.sameRun += base.events.size() - next;
    if (writer.sameRun > 0) {
        out = storeSameRun(writer.sameRun, out);
        writer.sameRun = 0;
    }
    encoder.stagedSize = static_cast<std::size_t>(out - encoder.staged.data());
    history.storedAt[repeated.slot] = ++history.framesStored;
    history.lastSlot = repeated.slot;
    startNextFrame(writer);
    if (encoder.output.size() + encoder.stagedSize - encoder.chunkStart - ChunkHeaderSize >=
        DataChunkTargetSize) {
        closeDataChunk(encoder);
    }
    // The next frame is taken to repeat this one: the stored frame's buffers
    // have not moved, only its words changed.
    repeated.next = repeated.events;
    repeated.changedCount = 0;
    repeated.changedWordCount = 0;
}

// A frame larger than any before: every frame buffer makes room for it now.
void keepRoomFor(CaptureEncoder& encoder, const EventFrame& frame) {
    FrameRoom& room = encoder.room;
    bool grew = false;
    const auto atLeast = [&grew](std::size_t& kept, std::size_t size) {
        if (size > kept) {
            kept = size;
            grew = true;
        }
    };
    atLeast(room.events, frame.events.size());
    atLeast(room.words, frame.words.size());
    atLeast(room.texts, frame.texts.size());
    atLeast(room.textBytes, frame.textBytes.size());
    atLeast(room.slots, frame.slots.size());
    atLeast(room.handles, frame.handles.size());
    if (!grew) {
        return;
    }
    const auto reserve = [&room](EventFrame& f) {
        f.events.reserve(room.events);
        f.words.reserve(room.words);
        f.texts.reserve(room.texts);
        f.textBytes.reserve(room.textBytes);
        f.slots.reserve(room.slots);
        f.handles.reserve(room.handles);
    };
    for (EventFrame& stored : encoder.history.frames) {
        reserve(stored);
    }
    reserve(encoder.current);
}

// Writes the recorded events not yet written, into data chunks of about
// DataChunkTargetSize. A frame's first write picks its base.
void writePending(CaptureEncoder& encoder, bool frameComplete) {
    stopRepeating(encoder);
    commitStaged(encoder);
    prepareOutput(encoder);
    if (encoder.writer.nextEvent == 0 && !encoder.current.events.empty()) {
        encoder.baseSlot = chooseBase(encoder.history, encoder.current, frameComplete);
        if (encoder.baseSlot != encoder.history.lastSlot) {
            openDataChunk(encoder);
            putByte(encoder.output, static_cast<std::uint8_t>(op::Base | encoder.baseSlot));
        }
    }
    const EventFrame& base = encoder.history.frames[encoder.baseSlot];
    while (encoder.writer.nextEvent < encoder.current.events.size()) {
        openDataChunk(encoder);
        writeNextEvent(encoder.writer, base, encoder.current, encoder.output);
        if (encoder.output.size() - encoder.chunkStart - ChunkHeaderSize >= DataChunkTargetSize) {
            closeDataChunk(encoder);
        }
    }
}

void writeWholeChunk(CaptureEncoder& encoder, const ChunkTag& tag, auto&& fillPayload) {
    writePending(encoder, false);
    closeDataChunk(encoder);
    const std::size_t start = openChunk(encoder.output);
    fillPayload(encoder.output);
    sealChunk(encoder.output, start, tag);
}

void recordSettings(CaptureEncoder& encoder, SettingsState state, std::string_view bytes) {
    if (encoder.stopped) {
        return;
    }
    writeWholeChunk(encoder, SettingsTag, [&](std::vector<std::uint8_t>& out) {
        putByte(out, static_cast<std::uint8_t>(state));
        putBytes(out, bytes);
    });
}

// Keeps the texts and slots whose indices rise and stay below the argument
// count, and clears the words at their indices.
template <class Arg> bool keepArg(const Arg& arg, std::uint32_t argCount, std::int64_t& lastIndex) {
    if (arg.argIndex >= argCount || static_cast<std::int64_t>(arg.argIndex) <= lastIndex) {
        return false;
    }
    lastIndex = arg.argIndex;
    return true;
}

} // namespace

void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity) {
    stopMatching(encoder.repeated);
    encoder.room = {};
    clearHistory(encoder.history);
    clearFrame(encoder.current);
    encoder.writer = DeltaWriter{};
    encoder.baseSlot = 0;
    encoder.output.clear();
    encoder.stagedSize = 0;
    encoder.chunkOpen = false;
    encoder.handedOut = false;
    encoder.stopped = false;

    for (std::uint8_t b : FileMagic) {
        putByte(encoder.output, b);
    }
    putU32(encoder.output, FormatVersion);
    writeWholeChunk(encoder, HeaderTag, [&](std::vector<std::uint8_t>& out) {
        putVarint(out, pluginVersion.size());
        putBytes(out, pluginVersion);
        putVarint(out, buildIdentity.size());
        putBytes(out, buildIdentity);
    });
}

void recordSettingsFile(CaptureEncoder& encoder, std::string_view bytes) {
    if (bytes.size() > MaxSettingsBytes) {
        recordSettings(encoder, SettingsState::FileCut, bytes.substr(0, MaxSettingsBytes));
    } else {
        recordSettings(encoder, SettingsState::File, bytes);
    }
}

void recordNoSettingsFile(CaptureEncoder& encoder) {
    recordSettings(encoder, SettingsState::NoFile, {});
}

void recordNativeCall(CaptureEncoder& encoder, const NativeCallRecord& call) {
    if (encoder.stopped) {
        return;
    }
    const auto argCount = static_cast<std::uint32_t>(std::min(call.args.size(), MaxArgs));
    const auto resultCount =
        static_cast<std::uint32_t>(std::min(call.result.size(), MaxResultWords));
    if (repeatsCall(encoder, call, argCount, resultCount)) {
        return;
    }
    stopRepeating(encoder);
    EventFrame& frame = encoder.current;
    const FrameEvent& event = beginNativeCall(frame, call.hash);
    const std::size_t firstWord = event.firstWord;
    // The words in one go: this runs for every native call of every frame.
    frame.words.insert(frame.words.end(), call.args.begin(), call.args.begin() + argCount);
    frame.words.insert(frame.words.end(), call.result.begin(), call.result.begin() + resultCount);
    frame.events.back().argCount = argCount;
    frame.events.back().resultCount = resultCount;
    if (call.pointerArgs != 0) {
        frame.events.back().takesPointers = true;
    }
    std::int64_t lastIndex = -1;
    for (const TextArg& text : call.texts) {
        if (keepArg(text, argCount, lastIndex)) {
            frame.words[firstWord + text.argIndex] = 0;
            addText(frame, text.argIndex, text.bytes.substr(0, MaxTextBytes));
        }
    }
    lastIndex = -1;
    for (const SlotArg& slot : call.slots) {
        if (keepArg(slot, argCount, lastIndex)) {
            frame.words[firstWord + slot.argIndex] = 0;
            addSlot(frame, {slot.argIndex, slot.value});
        }
    }
}

namespace {

// The texts and slots of a call the seam sees against those of the stored
// call: texts by content, read through their addresses no further than the
// kept text's end and the byte after it, and slots by value. Gives the mask
// of the arguments they are at, or false.
[[gnu::always_inline]] inline bool livePointersRepeat(const EventFrame& base, const FrameEvent& was,
                                                      const std::uint64_t* args,
                                                      std::uint32_t& pointers) {
    pointers = 0;
    for (const TextEntry& text : textsOf(base, was)) {
        const auto* live = reinterpret_cast<const char*>(args[text.argIndex]);
        if (live == nullptr || text.size >= MaxLiveTextRead) {
            return false;
        }
        // Compared up to the kept text's end (which holds no end of text), so
        // that a shorter live text is read no further than its own end.
        if (std::strncmp(live, base.textBytes.data() + text.offset, text.size) != 0 ||
            live[text.size] != '\0') {
            return false;
        }
        pointers |= std::uint32_t{1} << text.argIndex;
    }
    for (const SlotEntry& slot : slotsOf(base, was)) {
        const auto* live = reinterpret_cast<const void*>(args[slot.argIndex]);
        std::uint32_t value = 0;
        if (live == nullptr) {
            return false;
        }
        std::memcpy(&value, live, sizeof value);
        if (value != slot.value) {
            return false;
        }
        pointers |= std::uint32_t{1} << slot.argIndex;
    }
    return true;
}

} // namespace

bool repeatsLiveCall(CaptureEncoder& encoder, const std::uint64_t* args,
                     const std::uint64_t* result) {
    RepeatedFrame& repeated = encoder.repeated;
    const FrameEvent& was = *repeated.next;
    std::uint32_t pointers = 0;
    if (!livePointersRepeat(encoder.history.frames[repeated.slot], was, args, pointers)) {
        return false;
    }
    // A word where the stored call had a null text or slot is compared too:
    // a text given now where none was is not a repeat.
    if (!sameWords(repeated, args, pointers, result)) {
        return false;
    }
    ++repeated.next;
    return true;
}

bool recordRepeatedLiveCall(CaptureEncoder& encoder, std::uint64_t hash,
                            std::span<const std::uint64_t> args,
                            std::span<const std::uint64_t> result, std::uint32_t pointerArgs) {
    if (encoder.stopped) {
        return false;
    }
    const FrameEvent* was = repeatedNext(encoder, hash);
    if (was == nullptr || was->kind != EventKind::NativeCall || was->hash != hash ||
        was->argCount != args.size() || was->resultCount != result.size()) {
        return false;
    }
    std::uint32_t pointers = 0;
    if (!livePointersRepeat(encoder.history.frames[encoder.repeated.slot], *was, args.data(),
                            pointers)) {
        return false;
    }
    // A text or slot the stored call did not have (its address was null then)
    // is not a changed word.
    for (std::uint32_t absent = pointerArgs & ~pointers; absent != 0; absent &= absent - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(absent));
        if (i < args.size() && args[i] != 0) {
            return false;
        }
    }
    return repeatsWords(encoder, args.data(), pointers, result.data());
}

void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                      std::span<const std::int32_t> written, std::int32_t returned) {
    if (encoder.stopped) {
        return;
    }
    const auto kept = written.first(std::min(written.size(), MaxPedHandles));
    // Past the frame's first event the next stored event is all there is to
    // look at.
    const RepeatedFrame& repeated = encoder.repeated;
    const FrameEvent* was = repeated.next != repeated.end && repeated.next != repeated.events
                                ? repeated.next
                                : repeatedNext(encoder, PedsAnswerShapeWord);
    if (was != nullptr && was->kind == EventKind::PedsAnswer && was->pedsCapacity == capacity &&
        was->pedsReturned == returned && was->handleCount == kept.size()) {
        const auto handles = handlesOf(encoder.history.frames[encoder.repeated.slot], *was);
        if (kept.empty() || std::equal(kept.begin(), kept.end(), handles.begin())) {
            ++encoder.repeated.next;
            return;
        }
    }
    stopRepeating(encoder);
    EventFrame& frame = encoder.current;
    beginPedsAnswer(frame, capacity, returned);
    frame.handles.insert(frame.handles.end(), kept.begin(), kept.end());
    frame.events.back().handleCount = kept.size();
}

namespace {

// A wait that does not end a frame repeating a stored one to its wait.
[[gnu::noinline]] void recordOtherWait(CaptureEncoder& encoder, std::uint32_t ms) {
    const RepeatedFrame& repeated = encoder.repeated;
    const FrameEvent* was = repeatedNext(encoder, WaitShapeWord);
    if (was != nullptr && was->kind == EventKind::Wait && was->waitMs == ms &&
        repeated.next + 1 == repeated.end) {
        writeRepeatedFrame(encoder);
        return;
    }
    stopRepeating(encoder);
    addWait(encoder.current, ms);
    keepRoomFor(encoder, encoder.current);
    writePending(encoder, true);
    closeSameRun(encoder.writer, encoder.output);
    for (FrameEvent& event : encoder.current.events) {
        const bool plain = event.kind == EventKind::NativeCall && !event.takesPointers;
        event.plainArgCount = plain ? event.argCount : NotPlainCall;
    }
    storeFrame(encoder.history, encoder.current);
    startNextFrame(encoder.writer);
    repeatFrom(encoder, encoder.history.lastSlot);
}

} // namespace

void recordWait(CaptureEncoder& encoder, std::uint32_t ms) {
    if (encoder.stopped) {
        return;
    }
    // The frame repeats a stored one to its wait: the common frame, kept
    // apart from the rest so that it costs no more than it does.
    const RepeatedFrame& repeated = encoder.repeated;
    if (repeated.active && repeated.next + 1 == repeated.end &&
        repeated.next->kind == EventKind::Wait && repeated.next->waitMs == ms) {
        writeRepeatedFrame(encoder);
        return;
    }
    recordOtherWait(encoder, ms);
}

std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder) {
    writePending(encoder, false);
    closeDataChunk(encoder);
    encoder.handedOut = true;
    return encoder.output;
}

std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes) {
    if (!encoder.stopped) {
        writeWholeChunk(encoder, SizeCapTag,
                        [&](std::vector<std::uint8_t>& out) { putVarint(out, capBytes); });
        encoder.stopped = true;
    }
    return flushCapture(encoder);
}

namespace {

std::span<const std::uint8_t> closeWith(CaptureEncoder& encoder, const ChunkTag& tag) {
    if (!encoder.stopped) {
        writeWholeChunk(encoder, tag, [](std::vector<std::uint8_t>&) {});
        encoder.stopped = true;
    }
    return flushCapture(encoder);
}

} // namespace

std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder) {
    return closeWith(encoder, EndTag);
}

std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder) {
    return closeWith(encoder, StoodDownTag);
}

} // namespace capture
