#include "capture/format/reader/capture_chunks.h"

#include "capture/format/byte_codec.h"
#include "capture/format/crc32.h"

#include <algorithm>

namespace capture {

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
    if (crc32({header, 12}) != loadU32(header + 12)) {
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
    if (crc32(payload) != payloadCrc) {
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

} // namespace capture
