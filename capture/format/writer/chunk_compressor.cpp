#include "capture/format/writer/chunk_compressor.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace capture {

struct DeflateStream {
    z_stream z{};
    int level = 0;
};

void DeflateStreamDeleter::operator()(DeflateStream* stream) const {
    deflateEnd(&stream->z);
    delete stream;
}

void restartCompression(ChunkCompressor& compressor) {
    if (!compressing(compressor)) {
        return;
    }
    if (compressor.stream && compressor.stream->level == compressor.level) {
        if (deflateReset(&compressor.stream->z) == Z_OK) {
            return;
        }
    }
    compressor.stream.reset();
    auto stream = std::make_unique<DeflateStream>();
    // Raw deflate: the chunks carry their own checksums.
    constexpr int RawWindowBits = -15;
    constexpr int MemoryLevel = 8;
    const int status = deflateInit2(&stream->z, compressor.level, Z_DEFLATED, RawWindowBits,
                                    MemoryLevel, Z_DEFAULT_STRATEGY);
    if (status == Z_MEM_ERROR) {
        throw std::bad_alloc();
    }
    if (status != Z_OK) {
        throw std::runtime_error("zlib refused the deflate stream's parameters");
    }
    stream->level = compressor.level;
    compressor.stream.reset(stream.release());
}

void compressRecords(ChunkCompressor& compressor, std::vector<std::uint8_t>& out,
                     std::size_t from) {
    // Deflated from where they stand into the compressor's buffer, then
    // copied back over them: the output never holds more than the records
    // did, unless they would not compress.
    std::vector<std::uint8_t>& deflated = compressor.deflated;
    const std::size_t recordBytes = out.size() - from;
    z_stream& z = compressor.stream->z;
    z.next_in = out.data() + from;
    z.avail_in = static_cast<uInt>(recordBytes);
    std::size_t written = 0;
    for (;;) {
        // Within the capacity the buffer has grown to, resizing allocates nothing.
        deflated.resize(std::max({deflated.capacity(), written + 4096, recordBytes / 2}));
        z.next_out = deflated.data() + written;
        z.avail_out = static_cast<uInt>(deflated.size() - written);
        const int status = deflate(&z, Z_SYNC_FLUSH);
        written = deflated.size() - z.avail_out;
        if (status != Z_OK && status != Z_BUF_ERROR) {
            throw std::runtime_error("the deflate stream broke");
        }
        if (z.avail_out != 0) {
            break;
        }
    }
    out.resize(from);
    out.insert(out.end(), deflated.begin(),
               deflated.begin() + static_cast<std::ptrdiff_t>(written));
}

} // namespace capture
