#include "capture/format/reader/capture_chunks.h"

#include "capture/format/byte_codec.h"

#include <zlib.h>

#include <algorithm>

namespace capture {

namespace {

std::uint32_t crc32Of(const std::uint8_t* bytes, std::size_t size) {
    return static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(size)));
}

} // namespace

ChunkCheck checkChunk(std::span<const std::uint8_t> file, std::size_t offset) {
    ChunkCheck check;
    const std::size_t left = file.size() - offset;
    if (left < ChunkHeaderSize) {
        check.state = ChunkState::Torn;
        check.problem = "the file ends inside a chunk header";
        return check;
    }
    const std::uint8_t* header = file.data() + offset;
    const std::uint32_t length = loadU32(header + 4);
    const std::uint32_t payloadCrc = loadU32(header + 8);
    // The length is trusted only after the header's own check; a damaged last
    // header that still gives the length to the end of the file is torn.
    const bool reachesEnd = length == left - ChunkHeaderSize;
    if (crc32Of(header, 12) != loadU32(header + 12)) {
        check.state = reachesEnd ? ChunkState::Torn : ChunkState::Damaged;
        check.problem = "chunk header checksum mismatch";
        return check;
    }
    if (length > MaxChunkPayload) {
        check.problem = "chunk longer than the format allows";
        return check;
    }
    if (length > left - ChunkHeaderSize) {
        check.state = ChunkState::Torn;
        check.problem = "the file ends inside a chunk";
        return check;
    }
    const auto payload = file.subspan(offset + ChunkHeaderSize, length);
    if (crc32Of(payload.data(), payload.size()) != payloadCrc) {
        check.state = reachesEnd ? ChunkState::Torn : ChunkState::Damaged;
        check.problem = "chunk checksum mismatch";
        return check;
    }
    check.state = ChunkState::Whole;
    std::copy(header, header + 4, check.tag.begin());
    check.payload = payload;
    check.end = offset + ChunkHeaderSize + length;
    return check;
}

std::size_t wholeChunksAfter(std::span<const std::uint8_t> file, std::size_t offset) {
    std::size_t chunks = 0;
    for (std::size_t at = offset + 1; at + ChunkHeaderSize <= file.size();) {
        const ChunkCheck check = checkChunk(file, at);
        if (check.state == ChunkState::Whole) {
            ++chunks;
            at = check.end;
        } else {
            ++at;
        }
    }
    return chunks;
}

bool inflateChunk(std::span<const std::uint8_t> payload, std::vector<std::uint8_t>& records) {
    // A byte more than the largest chunk tells a chunk of exactly that size
    // from one that inflates further.
    constexpr std::size_t Room = MaxChunkPayload + 1;
    for (std::size_t size = std::max<std::size_t>(4096, payload.size() * 4);; size *= 2) {
        records.resize(std::min(size, Room));
        auto written = static_cast<uLongf>(records.size());
        auto taken = static_cast<uLong>(payload.size());
        const int status = uncompress2(records.data(), &written, payload.data(), &taken);
        if (status == Z_OK) {
            records.resize(written);
            return taken == payload.size() && written <= MaxChunkPayload;
        }
        if (status != Z_BUF_ERROR || records.size() == Room) {
            return false;
        }
    }
}

} // namespace capture
