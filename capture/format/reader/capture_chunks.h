// The frame of one chunk, and whether a fault is a cut-off write at the end
// (torn), a checksum failing before the end (damaged) or what no writer makes
// (corrupt).
#pragma once

#include "capture/format/capture_format.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace capture {

enum class ChunkState { Whole, Torn, Damaged, Corrupt };

struct ChunkCheck {
    ChunkState state = ChunkState::Corrupt;
    ChunkTag tag{};
    std::span<const std::uint8_t> payload;
    std::size_t end = 0;           // offset just past the chunk, when whole
    const char* problem = nullptr; // when torn or corrupt
};

// The chunk that starts at offset. A chunk is torn when the file ends inside
// it, or when it ends exactly at the end of the file and fails a checksum.
ChunkCheck checkChunk(std::span<const std::uint8_t> file, std::size_t offset);

// The whole chunks after a damaged one at offset: each found at the first
// byte after the one before where a chunk passes both its checksums.
std::size_t wholeChunksAfter(std::span<const std::uint8_t> file, std::size_t offset);

// Inflates a data chunk's payload, a zlib stream of its own (format version
// 3), into records; false when the stream is broken, ends before the payload
// does, or inflates to more than the largest chunk.
bool inflateChunk(std::span<const std::uint8_t> payload, std::vector<std::uint8_t>& records);

} // namespace capture
