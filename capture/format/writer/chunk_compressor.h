// The compression of data chunks: each chunk's records are one zlib stream
// (RFC 1950) of their own, so a chunk inflates without the chunks before it
// (its records still refer to the frames before it). The stream's state is
// made at the first chunk and reset for each: compressing a chunk allocates
// nothing once the buffer has grown to a chunk's compressed size. Failures
// throw, and the capture layer closes the capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace capture {

// Level 3 takes as many instructions a frame as level 1 and fewer bytes where
// drags come and go (docs/capture-and-replay.md).
inline constexpr int CompressionLevel = 3;

struct DeflateStream;
struct DeflateStreamDeleter {
    void operator()(DeflateStream* stream) const;
};

struct ChunkCompressor {
    std::unique_ptr<DeflateStream, DeflateStreamDeleter> stream;
    std::vector<std::uint8_t> compressed; // a chunk's records, before they replace them
};

// Replaces the bytes of out from `from` to its end (a data chunk's records)
// with their zlib stream. Throws std::bad_alloc when zlib cannot get its
// memory, std::runtime_error when the stream breaks.
void compressRecords(ChunkCompressor& compressor, std::vector<std::uint8_t>& out, std::size_t from);

} // namespace capture
