// The frame of one chunk: its header, length and checksums, and whether a
// fault is what a cut-off write leaves at the end of a file (torn) or damage
// that a reader must refuse (corrupt).
#pragma once

#include "capture/format/capture_format.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace capture {

enum class ChunkState { Whole, Torn, Corrupt };

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

} // namespace capture
