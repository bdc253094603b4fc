// The inflating of data chunks (format version 3): each chunk's payload is a
// zlib stream of its own that ends with the chunk. What a chunk inflates to is
// bounded by the format's largest payload; what the whole capture inflates to
// is counted against the caller's limit (the reader checks it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

namespace capture {

struct InflateStream;
struct InflateStreamDeleter {
    void operator()(InflateStream* stream) const;
};

struct ChunkInflater {
    std::unique_ptr<InflateStream, InflateStreamDeleter> stream;
    std::vector<std::uint8_t> records; // the last chunk's, inflated
    std::size_t inflatedSoFar = 0;     // by every chunk inflated
    std::size_t maxInflated = std::numeric_limits<std::size_t>::max();
};

// Inflates a data chunk's payload into inflater.records. Returns nullptr, or
// what is wrong: a broken or unfinished stream, bytes after its end, or more
// than the largest chunk.
const char* inflateChunk(ChunkInflater& inflater, std::span<const std::uint8_t> payload);

} // namespace capture
