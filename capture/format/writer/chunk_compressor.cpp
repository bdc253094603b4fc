#include "capture/format/writer/chunk_compressor.h"

#include <zlib.h>

#include <algorithm>
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

z_stream& freshStream(ChunkCompressor& compressor) {
    if (compressor.stream) {
        if (deflateReset(&compressor.stream->z) != Z_OK) {
            throw std::runtime_error("the zlib stream could not be reset");
        }
        return compressor.stream->z;
    }
    auto stream = std::make_unique<DeflateStream>();
    const int status = deflateInit(&stream->z, CompressionLevel);
    if (status == Z_MEM_ERROR) {
        throw std::bad_alloc();
    }
    if (status != Z_OK) {
        throw std::runtime_error("zlib refused the compression level");
    }
    compressor.stream.reset(stream.release());
    return compressor.stream->z;
}

} // namespace

void compressRecords(ChunkCompressor& compressor, std::vector<std::uint8_t>& out,
                     std::size_t from) {
    // Compressed from where they stand into the compressor's buffer, then
    // copied back over them.
    std::vector<std::uint8_t>& compressed = compressor.compressed;
    const std::size_t recordBytes = out.size() - from;
    z_stream& z = freshStream(compressor);
    // Within the capacity the buffer has grown to, resizing allocates nothing.
    compressed.resize(std::max(compressed.capacity(), deflateBound(&z, recordBytes)));
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

} // namespace capture
