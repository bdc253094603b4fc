#include "capture/format/reader/capture_reader.h"

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/reader/capture_chunks.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string_view>

namespace capture {

namespace {

std::optional<CaptureReadError> errorAt(std::size_t offset, std::string message) {
    return CaptureReadError{offset, std::move(message)};
}

std::string takeText(ByteCursor& in) {
    const auto bytes = takeBytes(in, takeVarint(in));
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool readHeader(std::span<const std::uint8_t> payload, CaptureHeader& header) {
    ByteCursor in{payload};
    header.pluginVersion = takeText(in);
    header.buildIdentity = takeText(in);
    return in.ok && atEnd(in);
}

bool readSettings(std::span<const std::uint8_t> payload, CapturedSettings& settings) {
    if (payload.empty() || payload.size() - 1 > MaxSettingsBytes) {
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(payload.data()) + 1,
                                 payload.size() - 1);
    settings.found = static_cast<SettingsFound>(payload[0]);
    settings.bytes.assign(bytes);
    // Only a file longer than the limit is cut, and then to the limit.
    return settings.found == SettingsFound::NoFile    ? bytes.empty()
           : settings.found == SettingsFound::FileCut ? bytes.size() == MaxSettingsBytes
                                                      : settings.found == SettingsFound::File;
}

std::optional<CaptureReadError> chunkError(std::size_t offset, const char* problem) {
    return errorAt(offset,
                   std::string(problem) + " (chunk at offset " + std::to_string(offset) + ")");
}

// Reading stops before the damaged chunk at offset; the file from there on
// is dropped.
void stopAtDamage(CaptureExtent& extent, std::span<const std::uint8_t> file, std::size_t offset) {
    extent.ending = CaptureEnding::Damaged;
    extent.keptBytes = offset;
    extent.droppedBytes = file.size() - offset;
    extent.chunksAfterDamage = wholeChunksAfter(file, offset);
}

// The chunks after the header: the settings at most once, data, and a closing
// mark only as the last.
std::optional<CaptureReadError> scanChunks(CaptureFrameReader& reader, std::size_t offset) {
    const auto file = reader.bytes;
    bool closed = false;
    while (offset < file.size()) {
        const ChunkCheck check = checkChunk(file, offset);
        if (check.state == ChunkState::Torn && !closed) {
            reader.extent.ending = CaptureEnding::TornTail;
            reader.extent.droppedBytes = file.size() - offset;
            break;
        }
        if (check.state == ChunkState::Damaged && !closed) {
            stopAtDamage(reader.extent, file, offset);
            return std::nullopt;
        }
        if (check.state != ChunkState::Whole) {
            return chunkError(offset, check.problem);
        }
        if (closed) {
            return chunkError(offset, "chunk after the closing mark");
        }
        if (check.tag == SettingsTag) {
            if (reader.settings.found != SettingsFound::NotRecorded) {
                return chunkError(offset, "settings given twice");
            }
            if (!readSettings(check.payload, reader.settings)) {
                return chunkError(offset, "bad settings chunk");
            }
        } else if (check.tag == SizeCapTag) {
            ByteCursor in{check.payload};
            reader.extent.sizeCap = takeVarint(in);
            if (!in.ok || !atEnd(in)) {
                return chunkError(offset, "bad size cap mark");
            }
            reader.extent.ending = CaptureEnding::SizeCapReached;
            closed = true;
        } else if (check.tag == EndTag || check.tag == StoodDownTag) {
            if (!check.payload.empty()) {
                return chunkError(offset, "bad end mark");
            }
            reader.extent.ending =
                check.tag == EndTag ? CaptureEnding::Closed : CaptureEnding::StoodDown;
            closed = true;
        } else if (check.tag != DataTag) {
            return chunkError(offset,
                              check.tag == HeaderTag ? "second header chunk" : "unknown chunk tag");
        }
        ++reader.extent.chunks;
        offset = check.end;
    }
    reader.extent.keptBytes = offset;
    return std::nullopt;
}

enum class ChunkEntry { Entered, NoMore, Failed };

// The next data chunk with records before the kept end, already checked by
// the scan; in version 3 its records are inflated first, and one that does
// not inflate is damage. A chunk of no records, which the writer never makes,
// is passed over.
ChunkEntry enterNextDataChunk(CaptureFrameReader& reader, CaptureReadError& error) {
    while (reader.nextChunk < reader.extent.keptBytes) {
        const std::size_t offset = reader.nextChunk;
        const std::uint8_t* header = reader.bytes.data() + offset;
        const std::size_t length = loadU32(header + 4);
        reader.nextChunk = offset + ChunkHeaderSize + length;
        if (!std::equal(DataTag.begin(), DataTag.end(), header)) {
            continue;
        }
        reader.dataChunk = offset;
        const auto payload = reader.bytes.subspan(offset + ChunkHeaderSize, length);
        if (reader.header.formatVersion == UncompressedFormatVersion) {
            reader.payload = ByteCursor{payload};
        } else if (!inflateChunk(payload, reader.inflated)) {
            stopAtDamage(reader.extent, reader.bytes, offset);
            return ChunkEntry::NoMore;
        } else if ((reader.inflatedSoFar += reader.inflated.size()) > reader.maxInflated) {
            error = *chunkError(offset, "the capture inflates to more than the bytes a whole read "
                                        "may decode to");
            return ChunkEntry::Failed;
        } else {
            reader.payload = ByteCursor{reader.inflated};
        }
        if (!atEnd(reader.payload)) {
            return ChunkEntry::Entered;
        }
    }
    return ChunkEntry::NoMore;
}

void convertEvent(const EventFrame& frame, const FrameEvent& event, CapturedEvent& out) {
    switch (event.kind) {
    case EventKind::NativeCall: {
        const auto args = argsOf(frame, event);
        const auto slots = slotsOf(frame, event);
        const auto result = resultOf(frame, event);
        CapturedCall call{event.hash,
                          {args.begin(), args.end()},
                          {},
                          {slots.begin(), slots.end()},
                          {result.begin(), result.end()}};
        for (const TextEntry& text : textsOf(frame, event)) {
            call.texts.push_back({text.argIndex, std::string(textBytesOf(frame, text))});
        }
        out = std::move(call);
        break;
    }
    case EventKind::PedsAnswer: {
        const auto handles = handlesOf(frame, event);
        out =
            CapturedPeds{event.pedsCapacity, {handles.begin(), handles.end()}, event.pedsReturned};
        break;
    }
    case EventKind::Wait:
        out = CapturedWait{event.waitMs};
        break;
    }
}

void convertFrame(const EventFrame& from, CapturedFrame& frame) {
    frame.events.resize(from.events.size());
    for (std::size_t i = 0; i < from.events.size(); ++i) {
        convertEvent(from, from.events[i], frame.events[i]);
    }
}

} // namespace

std::string describe(const CaptureReadError& error) {
    return "offset " + std::to_string(error.offset) + ": " + error.message;
}

const char* endingName(CaptureEnding ending) {
    switch (ending) {
    case CaptureEnding::Closed:
        return "closed";
    case CaptureEnding::SizeCapReached:
        return "size cap reached";
    case CaptureEnding::Unmarked:
        return "no closing mark";
    case CaptureEnding::TornTail:
        return "torn tail";
    case CaptureEnding::StoodDown:
        return "stood down: Pallbrook.asi was loaded too, so nothing was recorded";
    case CaptureEnding::Damaged:
        return "damaged chunk";
    }
    return "?";
}

std::string endingDetails(const CaptureExtent& extent, std::size_t framesKept) {
    if (extent.ending == CaptureEnding::TornTail) {
        return std::to_string(extent.keptBytes) + " bytes kept, " +
               std::to_string(extent.droppedBytes) + " dropped";
    }
    return "damage at byte " + std::to_string(extent.keptBytes) + ", the frames after frame " +
           std::to_string(framesKept) + " lost, " + std::to_string(extent.chunksAfterDamage) +
           " whole chunks after it not read";
}

std::optional<CaptureReadError> openCapture(CaptureFrameReader& reader,
                                            std::span<const std::uint8_t> bytes) {
    reader = CaptureFrameReader{};
    reader.bytes = bytes;
    const std::size_t magicSeen = std::min(bytes.size(), FileMagic.size());
    const auto mismatch = std::mismatch(
        bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magicSeen), FileMagic.begin());
    if (mismatch.first != bytes.begin() + static_cast<std::ptrdiff_t>(magicSeen)) {
        return errorAt(static_cast<std::size_t>(mismatch.first - bytes.begin()),
                       "not a capture file (bad magic)");
    }
    if (bytes.size() < SignatureSize) {
        return errorAt(bytes.size(), "the file ends inside the capture signature");
    }
    reader.header.formatVersion = loadU32(bytes.data() + FileMagic.size());
    const std::uint32_t version = reader.header.formatVersion;
    if (version != UncompressedFormatVersion && version != FormatVersion) {
        return errorAt(FileMagic.size(), "capture format version " + std::to_string(version) +
                                             " is not one this reader knows: it reads versions " +
                                             std::to_string(UncompressedFormatVersion) + " and " +
                                             std::to_string(FormatVersion));
    }
    const ChunkCheck head = checkChunk(bytes, SignatureSize);
    if (head.state != ChunkState::Whole) {
        return chunkError(SignatureSize, head.state == ChunkState::Torn ? "capture header cut short"
                                                                        : head.problem);
    }
    if (head.tag != HeaderTag || !readHeader(head.payload, reader.header)) {
        return chunkError(SignatureSize, "bad capture header chunk");
    }
    reader.extent.chunks = 1;
    if (auto error = scanChunks(reader, head.end)) {
        return error;
    }
    reader.nextChunk = head.end;
    return std::nullopt;
}

FrameRead readNextFrame(CaptureFrameReader& reader, CapturedFrame& frame, CaptureReadError& error) {
    const EventFrame* decoded = nullptr;
    const FrameRead read = readNextEventFrame(reader, decoded, error);
    if (read == FrameRead::Frame) {
        convertFrame(*decoded, frame);
    }
    return read;
}

FrameRead readNextEventFrame(CaptureFrameReader& reader, const EventFrame*& frame,
                             CaptureReadError& error) {
    for (;;) {
        if (reader.finished) {
            return FrameRead::Finished;
        }
        const ChunkEntry entry =
            atEnd(reader.payload) ? enterNextDataChunk(reader, error) : ChunkEntry::Entered;
        if (entry == ChunkEntry::Failed) {
            reader.finished = true;
            return FrameRead::Failed;
        }
        if (entry == ChunkEntry::NoMore) {
            // The events after the last wait, if any, make a last frame.
            reader.finished = true;
            if (reader.delta.current.events.empty()) {
                return FrameRead::Finished;
            }
            frame = &reader.delta.current;
            return FrameRead::Frame;
        }
        const std::size_t recordPos = reader.payload.pos;
        const char* problem = nullptr;
        const RecordOutcome outcome = readRecord(reader.delta, reader.payload, problem);
        if (outcome == RecordOutcome::Failed) {
            reader.finished = true;
            // The record is told by its place among the chunk's records
            // (inflated, in version 3).
            error.offset = reader.dataChunk;
            error.message = std::string(problem != nullptr ? problem : "bad record") +
                            " (record at byte " + std::to_string(recordPos) +
                            " of the chunk's records, chunk at offset " +
                            std::to_string(reader.dataChunk) + ")";
            return FrameRead::Failed;
        }
        if (outcome == RecordOutcome::FrameEnded) {
            frame = &reader.delta.history.frames[reader.delta.history.lastSlot];
            return FrameRead::Frame;
        }
    }
}

std::size_t decodedSize(const CapturedFrame& frame) {
    std::size_t size = 0;
    for (const CapturedEvent& event : frame.events) {
        size += sizeof event;
        if (const auto* call = std::get_if<CapturedCall>(&event)) {
            size += (call->args.size() + call->result.size()) * sizeof(std::uint64_t) +
                    call->slots.size() * sizeof(SlotEntry);
            for (const CapturedText& text : call->texts) {
                size += sizeof text + text.bytes.size();
            }
        } else if (const auto* peds = std::get_if<CapturedPeds>(&event)) {
            size += peds->handles.size() * sizeof(std::int32_t);
        }
    }
    return size;
}

CaptureReadResult readCapture(std::span<const std::uint8_t> bytes, std::size_t maxEvents) {
    CaptureReadResult result;
    CaptureFrameReader reader;
    if (auto error = openCapture(reader, bytes)) {
        result.error = std::move(error);
        return result;
    }
    Capture capture;
    capture.header = reader.header;
    capture.settings = reader.settings;
    std::size_t events = 0;
    std::size_t decoded = 0;
    const std::size_t maxDecoded = maxEvents * DecodedBytesPerEvent;
    reader.maxInflated = maxDecoded;
    CapturedFrame frame;
    CaptureReadError error;
    for (;;) {
        const FrameRead read = readNextFrame(reader, frame, error);
        if (read == FrameRead::Finished) {
            break;
        }
        if (read == FrameRead::Failed) {
            result.error = std::move(error);
            return result;
        }
        // Past a limit the whole capture is refused where the frame ends.
        const auto tooLarge = [&](const std::string& what) {
            result.error = CaptureReadError{reader.dataChunk,
                                            "the capture " + what + "; read it frame by frame"};
            return result;
        };
        events += frame.events.size();
        if (events > maxEvents) {
            return tooLarge("holds more than " + std::to_string(maxEvents) + " events");
        }
        decoded += decodedSize(frame);
        if (decoded > maxDecoded) {
            return tooLarge("decodes to more than " + std::to_string(maxDecoded) + " bytes");
        }
        capture.frames.push_back(std::move(frame));
        frame = CapturedFrame{};
    }
    capture.extent = reader.extent; // as reading found it: a chunk may not inflate
    result.capture = std::move(capture);
    return result;
}

CaptureReadResult readCaptureFile(const std::filesystem::path& path, std::size_t maxEvents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {std::nullopt, CaptureReadError{0, "cannot open " + path.string()}};
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return {std::nullopt, CaptureReadError{0, "cannot read " + path.string()}};
    }
    return readCapture(bytes, maxEvents);
}

} // namespace capture
