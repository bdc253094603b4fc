#include "capture_file/writer/chunk_compressor.h"

#include <zlib.h>

#include <algorithm>
#include <new>

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
    if (deflateInit2(&stream->z, compressor.level, Z_DEFLATED, RawWindowBits, MemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::bad_alloc();
    }
    stream->level = compressor.level;
    compressor.stream.reset(stream.release());
}

void compressRecords(ChunkCompressor& compressor, std::vector<std::uint8_t>& out,
                     std::size_t from) {
    std::vector<std::uint8_t>& records = compressor.records;
    records.assign(out.begin() + static_cast<std::ptrdiff_t>(from), out.end());
    z_stream& z = compressor.stream->z;
    z.next_in = records.data();
    z.avail_in = static_cast<uInt>(records.size());
    // A sync flush adds a few bytes to what deflateBound allows for.
    constexpr std::size_t FlushMargin = 16;
    std::size_t written = from;
    out.resize(from + deflateBound(&z, static_cast<uLong>(records.size())) + FlushMargin);
    for (;;) {
        z.next_out = out.data() + written;
        z.avail_out = static_cast<uInt>(out.size() - written);
        const int status = deflate(&z, Z_SYNC_FLUSH);
        written = out.size() - z.avail_out;
        if (status != Z_OK && status != Z_BUF_ERROR) {
            throw std::bad_alloc(); // the stream is broken: the capture closes
        }
        if (z.avail_out != 0) {
            break;
        }
        out.resize(out.size() + records.size() / 2 + FlushMargin);
    }
    out.resize(written);
}

} // namespace capture
