// The compression of data chunks (format version 2): one raw deflate stream
// for the whole capture, with a sync flush at the end of every data chunk, so
// that each chunk's payload inflates to whole records once the chunks before
// it have been inflated. The stream is made at the first capture and kept:
// compressing a chunk allocates nothing once the buffer has grown to a
// chunk's deflated size. Failures throw, and the capture layer closes the
// capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace capture {

// Chosen by measurement in the capture bench (docs/capture-and-replay.md):
// level 3 takes as many instructions a frame as level 1 and fewer bytes where
// drags come and go. The uncompressed level writes format version 1, for
// comparison and for tests of the older format.
inline constexpr int DefaultCompressionLevel = 3;
inline constexpr int Uncompressed = -1;

struct DeflateStream;
struct DeflateStreamDeleter {
    void operator()(DeflateStream* stream) const;
};

struct ChunkCompressor {
    int level = DefaultCompressionLevel;
    std::unique_ptr<DeflateStream, DeflateStreamDeleter> stream;
    std::vector<std::uint8_t> deflated; // a chunk's records, deflated, before they replace them
};

inline bool compressing(const ChunkCompressor& compressor) {
    return compressor.level != Uncompressed;
}

// A fresh stream for a new capture, at the compressor's level. Throws
// std::bad_alloc when zlib cannot get its memory, std::runtime_error when it
// refuses the level.
void restartCompression(ChunkCompressor& compressor);

// Replaces the bytes of out from `from` to its end (a data chunk's records)
// with their deflated form, ending in a sync flush.
void compressRecords(ChunkCompressor& compressor, std::vector<std::uint8_t>& out, std::size_t from);

} // namespace capture
