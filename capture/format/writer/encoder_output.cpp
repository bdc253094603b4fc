#include "capture/format/writer/capture_encoder.h"

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <new>
#include <stdexcept>

namespace capture {

struct DeflateStream {
    z_stream z{};
};

void DeflateStreamDeleter::operator()(DeflateStream* stream) const {
    deflateEnd(&stream->z);
    delete stream;
}

namespace {

// zlib's fastest level, with a 4 KiB window and small tables, which are
// cleared for each chunk: measured in the capture bench
// (docs/capture-and-replay.md).
constexpr int CompressionLevel = 1;
constexpr int WindowBits = 12;
constexpr int MemoryLevel = 5;

constexpr std::size_t OutputRoom = 64u << 10;

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
    storeU32(header + 8, static_cast<std::uint32_t>(
                             crc32(0, payload.data(), static_cast<uInt>(payload.size()))));
    storeU32(header + 12, static_cast<std::uint32_t>(crc32(0, header, 12)));
}

void openDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        encoder.chunkStart = openChunk(encoder.output);
        encoder.chunkOpen = true;
    }
}

z_stream& freshStream(CaptureEncoder& encoder) {
    if (!encoder.deflater) {
        auto stream = std::make_unique<DeflateStream>();
        const int status = deflateInit2(&stream->z, CompressionLevel, Z_DEFLATED, WindowBits,
                                        MemoryLevel, Z_DEFAULT_STRATEGY);
        if (status != Z_OK) {
            throw std::bad_alloc(); // zlib refuses only for want of memory here
        }
        encoder.deflater.reset(stream.release());
    } else if (deflateReset(&encoder.deflater->z) != Z_OK) {
        throw std::runtime_error("the zlib stream could not be reset");
    }
    return encoder.deflater->z;
}

// Replaces the records from `from` to the output's end with their zlib
// stream: compressed into the encoder's buffer, then copied back over them.
// Once the buffer has grown to a chunk's compressed size, nothing is
// allocated. Failures throw, and the capture layer closes the capture.
void compressRecords(CaptureEncoder& encoder, std::size_t from) {
    std::vector<std::uint8_t>& out = encoder.output;
    std::vector<std::uint8_t>& compressed = encoder.compressed;
    z_stream& z = freshStream(encoder);
    const std::size_t recordBytes = out.size() - from;
    const auto bound = static_cast<std::size_t>(deflateBound(&z, static_cast<uLong>(recordBytes)));
    compressed.resize(std::max(compressed.capacity(), bound));
    z.next_in = out.data() + from;
    z.avail_in = static_cast<uInt>(recordBytes);
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) {
        throw std::runtime_error("the zlib stream broke");
    }
    out.resize(from);
    out.insert(out.end(), compressed.begin(),
               compressed.begin() + static_cast<std::ptrdiff_t>(z.total_out));
}

// The open data chunk is sealed, or dropped when nothing went into it.
void closeDataChunk(CaptureEncoder& encoder) {
    if (!encoder.chunkOpen) {
        return;
    }
    closeSameRun(encoder.writer, encoder.output);
    const std::size_t recordsStart = encoder.chunkStart + ChunkHeaderSize;
    if (encoder.output.size() == recordsStart) {
        encoder.output.resize(encoder.chunkStart);
    } else {
        compressRecords(encoder, recordsStart);
        sealChunk(encoder.output, encoder.chunkStart, DataTag);
    }
    encoder.chunkOpen = false;
}

// By the records' size, before they are compressed.
void closeDataChunkIfFull(CaptureEncoder& encoder) {
    if (encoder.output.size() - encoder.chunkStart - ChunkHeaderSize >= DataChunkTargetSize) {
        closeDataChunk(encoder);
    }
}

// Writes the events of the current frame not yet written, through the
// general writer, into data chunks of about DataChunkTargetSize. A frame
// that has repeated no event yet may still repeat the frame before.
void writePending(CaptureEncoder& encoder) {
    if (encoder.repeated.next > 0) {
        stopRepeating(encoder);
    }
    prepareOutput(encoder);
    while (encoder.writer.nextEvent < encoder.current.events.size()) {
        openDataChunk(encoder);
        writeNextEvent(encoder.writer, encoder.last, encoder.current, encoder.output);
        closeDataChunkIfFull(encoder);
    }
}

// A chunk other than data, after everything recorded so far: its payload is
// appended to the output between the two calls.
std::size_t openWholeChunk(CaptureEncoder& encoder) {
    writePending(encoder);
    closeDataChunk(encoder);
    return openChunk(encoder.output);
}

void recordSettings(CaptureEncoder& encoder, SettingsFound state, std::string_view bytes) {
    if (encoder.stopped) {
        return;
    }
    const std::size_t start = openWholeChunk(encoder);
    putByte(encoder.output, static_cast<std::uint8_t>(state));
    putBytes(encoder.output, bytes);
    sealChunk(encoder.output, start, SettingsTag);
}

// The sites of the changed calls, unless they are those of the last Repeat
// record: the number of calls, then for each the events before it since the
// last and its masks.
void putSites(CaptureEncoder& encoder) {
    const RepeatedFrame& repeated = encoder.repeated;
    const auto sites = std::span(repeated.changedCalls).first(repeated.changedCount);
    const auto last = std::span(encoder.lastSites).first(encoder.lastSiteCount);
    const bool asBefore =
        encoder.sitesWritten && std::equal(sites.begin(), sites.end(), last.begin(), last.end());
    putByte(encoder.output, asBefore ? op::Repeat : op::Repeat | op::NewSites);
    if (asBefore) {
        return;
    }
    putVarint(encoder.output, sites.size());
    std::size_t next = 0;
    for (const RepeatSite& site : sites) {
        putVarint(encoder.output, site.event - next);
        putVarint(encoder.output, site.argsChanged);
        putByte(encoder.output, static_cast<std::uint8_t>(site.resultChanged));
        next = site.event + 1;
    }
    std::copy(sites.begin(), sites.end(), encoder.lastSites.begin());
    encoder.lastSiteCount = sites.size();
    encoder.sitesWritten = true;
}

// A frame that repeated the frame before to its wait: a Repeat record, each
// changed word as its delta from the word before; then the frame before takes
// the new words.
void writeRepeatRecord(CaptureEncoder& encoder) {
    putSites(encoder);
    const RepeatedFrame& repeated = encoder.repeated;
    EventFrame& last = encoder.last;
    const std::uint64_t* now = repeated.newWords.data();
    for (std::size_t j = 0; j < repeated.changedCount; ++j) {
        const RepeatSite& changed = repeated.changedCalls[j];
        const FrameEvent& was = last.events[changed.event];
        std::uint64_t* wasWords = last.words.data() + was.firstWord;
        const std::uint64_t mask = changed.argsChanged | std::uint64_t{changed.resultChanged}
                                                             << was.argCount;
        for (std::uint64_t m = mask; m != 0; m &= m - 1) {
            const auto i = static_cast<std::size_t>(std::countr_zero(m));
            putVarint(encoder.output, wordDelta(now[i], wasWords[i]));
        }
        std::copy_n(now, was.argCount + was.resultCount, wasWords);
        now += was.argCount + was.resultCount;
    }
}

// A closing mark, after everything recorded so far; the size cap's gives the
// cap. Afterwards records are ignored.
std::span<const std::uint8_t> closeWith(CaptureEncoder& encoder, const ChunkTag& tag,
                                        std::uint64_t capBytes = 0) {
    if (!encoder.stopped) {
        const std::size_t start = openWholeChunk(encoder);
        if (tag == SizeCapTag) {
            putVarint(encoder.output, capBytes);
        }
        sealChunk(encoder.output, start, tag);
        encoder.stopped = true;
    }
    return flushCapture(encoder);
}

} // namespace

void writeRepeatedFrame(CaptureEncoder& encoder) {
    prepareOutput(encoder);
    openDataChunk(encoder);
    writeRepeatRecord(encoder);
    startNextFrame(encoder.writer);
    closeDataChunkIfFull(encoder);
}

void writeCompleteFrame(CaptureEncoder& encoder) {
    writePending(encoder);
    closeSameRun(encoder.writer, encoder.output);
    startNextFrame(encoder.writer);
}

void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity) {
    encoder = CaptureEncoder{};
    // A second of ordinary frames fits, so that a chunk a little larger than
    // the ones before does not make the output grow in the middle of a frame.
    encoder.output.reserve(OutputRoom);

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
        recordSettings(encoder, SettingsFound::FileCut, bytes.substr(0, MaxSettingsBytes));
    } else {
        recordSettings(encoder, SettingsFound::File, bytes);
    }
}

void recordNoSettingsFile(CaptureEncoder& encoder) {
    recordSettings(encoder, SettingsFound::NoFile, {});
}

std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder) {
    writePending(encoder);
    closeDataChunk(encoder);
    encoder.handedOut = true;
    return encoder.output;
}

std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes) {
    return closeWith(encoder, SizeCapTag, capBytes);
}

std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder) {
    return closeWith(encoder, EndTag);
}

std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder) {
    return closeWith(encoder, StoodDownTag);
}

} // namespace capture
