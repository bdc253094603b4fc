#include "capture/capture_encoder.h"

#include "capture/byte_codec.h"
#include "capture/capture_format.h"
#include "capture/crc32.h"

#include <algorithm>

namespace capture {

namespace {

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

void openDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        encoder.chunkStart = openChunk(encoder.output);
        encoder.chunkOpen = true;
    }
}

// Writes the recorded events not yet written, into data chunks of about
// DataChunkTargetSize. A frame's first write picks its base.
void writePending(CaptureEncoder& encoder, bool frameComplete) {
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
    EventFrame& frame = encoder.current;
    const FrameEvent& event = beginNativeCall(frame, call.hash);
    const std::size_t firstWord = event.firstWord;
    const auto argCount = static_cast<std::uint32_t>(std::min(call.args.size(), MaxArgs));
    const auto resultCount =
        static_cast<std::uint32_t>(std::min(call.result.size(), MaxResultWords));
    // The words in one go: this runs for every native call of every frame.
    frame.words.insert(frame.words.end(), call.args.begin(), call.args.begin() + argCount);
    frame.words.insert(frame.words.end(), call.result.begin(), call.result.begin() + resultCount);
    frame.events.back().argCount = argCount;
    frame.events.back().resultCount = resultCount;
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

void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                      std::span<const std::int32_t> written, std::int32_t returned) {
    if (encoder.stopped) {
        return;
    }
    EventFrame& frame = encoder.current;
    beginPedsAnswer(frame, capacity, returned);
    const auto kept = written.first(std::min(written.size(), MaxPedHandles));
    frame.handles.insert(frame.handles.end(), kept.begin(), kept.end());
    frame.events.back().handleCount = kept.size();
}

void recordWait(CaptureEncoder& encoder, std::uint32_t ms) {
    if (encoder.stopped) {
        return;
    }
    addWait(encoder.current, ms);
    writePending(encoder, true);
    closeSameRun(encoder.writer, encoder.output);
    storeFrame(encoder.history, encoder.current);
    startNextFrame(encoder.writer);
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
