#include "capture_file/writer/capture_encoder.h"

#include "capture_file/byte_codec.h"
#include "capture_file/capture_format.h"
#include "capture_file/crc32.h"
#include "capture_file/writer/repeated_frame.h"

#include <algorithm>

namespace capture {

namespace {

// Output handed to the caller is dropped before anything new is written.
void prepareOutput(CaptureEncoder& encoder) {
    if (encoder.handedOut) {
        encoder.output.clear();
        encoder.handedOut = false;
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

void openDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        encoder.chunkStart = openChunk(encoder.output);
        encoder.chunkOpen = true;
    }
}

// The open data chunk is sealed, or dropped when nothing went into it.
void closeDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        return;
    }
    closeSameRun(encoder.writer, encoder.output);
    if (encoder.output.size() == encoder.chunkStart + ChunkHeaderSize) {
        encoder.output.resize(encoder.chunkStart);
    } else {
        sealChunk(encoder.output, encoder.chunkStart, DataTag);
    }
    encoder.chunkOpen = false;
}

void closeDataChunkIfFull(CaptureEncoder& encoder) {
    if (encoder.output.size() - encoder.chunkStart - ChunkHeaderSize >= DataChunkTargetSize) {
        closeDataChunk(encoder);
    }
}

// Writes the events of the current frame not yet written, through the
// general writer, into data chunks of about DataChunkTargetSize. A frame's
// first write picks its base.
void writePending(CaptureEncoder& encoder, bool frameComplete) {
    stopRepeating(encoder);
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
        closeDataChunkIfFull(encoder);
    }
}

// A chunk other than data, after everything recorded so far: its payload is
// appended to the output between the two calls.
std::size_t openWholeChunk(CaptureEncoder& encoder) {
    writePending(encoder, false);
    closeDataChunk(encoder);
    return openChunk(encoder.output);
}

void recordSettings(CaptureEncoder& encoder, SettingsState state, std::string_view bytes) {
    if (encoder.stopped) {
        return;
    }
    const std::size_t start = openWholeChunk(encoder);
    putByte(encoder.output, static_cast<std::uint8_t>(state));
    putBytes(encoder.output, bytes);
    sealChunk(encoder.output, start, SettingsTag);
}

// Keeps the texts and slots whose indices rise and stay below the argument
// count.
template <class Arg> bool keepArg(const Arg& arg, std::size_t argCount, std::int64_t& lastIndex) {
    if (arg.argIndex >= argCount || static_cast<std::int64_t>(arg.argIndex) <= lastIndex) {
        return false;
    }
    lastIndex = arg.argIndex;
    return true;
}

// Appends the call to the current frame, with 0 for the words of its texts
// and slots.
void addCall(EventFrame& frame, const NativeCallRecord& call, std::size_t argCount,
             std::size_t resultCount) {
    const std::size_t firstWord = beginNativeCall(frame, call.hash).firstWord;
    frame.words.insert(frame.words.end(), call.args.begin(),
                       call.args.begin() + static_cast<std::ptrdiff_t>(argCount));
    frame.words.insert(frame.words.end(), call.result.begin(),
                       call.result.begin() + static_cast<std::ptrdiff_t>(resultCount));
    frame.events.back().argCount = static_cast<std::uint32_t>(argCount);
    frame.events.back().resultCount = static_cast<std::uint32_t>(resultCount);
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

// A frame larger than any before: every frame buffer makes room for it now.
void keepRoomFor(CaptureEncoder& encoder, const EventFrame& frame) {
    FrameRoom& room = encoder.room;
    const FrameRoom needed{std::max(room.events, frame.events.size()),
                           std::max(room.words, frame.words.size()),
                           std::max(room.texts, frame.texts.size()),
                           std::max(room.textBytes, frame.textBytes.size()),
                           std::max(room.slots, frame.slots.size()),
                           std::max(room.handles, frame.handles.size())};
    if (needed.events == room.events && needed.words == room.words && needed.texts == room.texts &&
        needed.textBytes == room.textBytes && needed.slots == room.slots &&
        needed.handles == room.handles) {
        return;
    }
    room = needed;
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

std::span<const std::uint8_t> closeWith(CaptureEncoder& encoder, const ChunkTag& tag) {
    if (!encoder.stopped) {
        sealChunk(encoder.output, openWholeChunk(encoder), tag);
        encoder.stopped = true;
    }
    return flushCapture(encoder);
}

} // namespace

void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity) {
    encoder.repeated.active = false;
    encoder.room = {};
    clearHistory(encoder.history);
    clearFrame(encoder.current);
    encoder.writer = DeltaWriter{};
    encoder.baseSlot = 0;
    encoder.output.clear();
    encoder.chunkOpen = false;
    encoder.handedOut = false;
    encoder.stopped = false;

    for (std::uint8_t b : FileMagic) {
        putByte(encoder.output, b);
    }
    putU32(encoder.output, FormatVersion);
    const std::size_t start = openWholeChunk(encoder);
    putVarint(encoder.output, pluginVersion.size());
    putBytes(encoder.output, pluginVersion);
    putVarint(encoder.output, buildIdentity.size());
    putBytes(encoder.output, buildIdentity);
    sealChunk(encoder.output, start, HeaderTag);
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
    const std::size_t argCount = std::min(call.args.size(), MaxArgs);
    const std::size_t resultCount = std::min(call.result.size(), MaxResultWords);
    const FrameEvent* was = nextRepeatedEvent(encoder, call.hash);
    if (was != nullptr && repeatsCall(encoder, *was, call, argCount, resultCount)) {
        return;
    }
    stopRepeating(encoder);
    addCall(encoder.current, call, argCount, resultCount);
}

void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                      std::span<const std::int32_t> written, std::int32_t returned) {
    if (encoder.stopped) {
        return;
    }
    const auto kept = written.first(std::min(written.size(), MaxPedHandles));
    const FrameEvent* was = nextRepeatedEvent(encoder, PedsAnswerShapeWord);
    if (was != nullptr && was->kind == EventKind::PedsAnswer && was->pedsCapacity == capacity &&
        was->pedsReturned == returned) {
        const auto handles = handlesOf(encoder.history.frames[encoder.repeated.slot], *was);
        if (std::equal(kept.begin(), kept.end(), handles.begin(), handles.end())) {
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

void recordWait(CaptureEncoder& encoder, std::uint32_t ms) {
    if (encoder.stopped) {
        return;
    }
    RepeatedFrame& repeated = encoder.repeated;
    FrameHistory& history = encoder.history;
    const FrameEvent* was = nextRepeatedEvent(encoder, WaitShapeWord);
    if (was != nullptr && was->kind == EventKind::Wait && was->waitMs == ms &&
        repeated.next + 1 == history.frames[repeated.slot].events.size()) {
        prepareOutput(encoder);
        openDataChunk(encoder);
        writeRepeatedFrame(encoder, encoder.output);
        closeDataChunkIfFull(encoder);
        // The next frame is taken to repeat this one too.
        repeatFrom(repeated, history, repeated.slot);
        return;
    }
    stopRepeating(encoder);
    addWait(encoder.current, ms);
    keepRoomFor(encoder, encoder.current);
    writePending(encoder, true);
    closeSameRun(encoder.writer, encoder.output);
    storeFrame(history, encoder.current);
    startNextFrame(encoder.writer);
    repeatFrom(repeated, history, history.lastSlot);
}

std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder) {
    writePending(encoder, false);
    closeDataChunk(encoder);
    encoder.handedOut = true;
    return encoder.output;
}

std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes) {
    if (!encoder.stopped) {
        const std::size_t start = openWholeChunk(encoder);
        putVarint(encoder.output, capBytes);
        sealChunk(encoder.output, start, SizeCapTag);
        encoder.stopped = true;
    }
    return flushCapture(encoder);
}

std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder) {
    return closeWith(encoder, EndTag);
}

std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder) {
    return closeWith(encoder, StoodDownTag);
}

} // namespace capture
