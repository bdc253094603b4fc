// The inflating of data chunks (format version 2): one raw deflate stream
// runs through the data chunks of a capture, each ending in a sync flush, so
// each chunk inflates to whole records after the chunks before it. What a
// chunk inflates to is bounded by the format's largest payload, and what the
// whole capture inflates to by the caller's limit: a few bytes that would
// inflate past either are refused.
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

// Inflates the next data chunk's payload into inflater.records. Returns
// nullptr, or what is wrong: a broken stream, or more bytes than allowed.
const char* inflateChunk(ChunkInflater& inflater, std::span<const std::uint8_t> payload);

} // namespace capture
