#include "capture/format/reader/chunk_inflater.h"

#include "capture/format/capture_format.h"

#include <zlib.h>

#include <algorithm>

namespace capture {

struct InflateStream {
    z_stream z{};
};

void InflateStreamDeleter::operator()(InflateStream* stream) const {
    inflateEnd(&stream->z);
    delete stream;
}

namespace {

bool freshStream(ChunkInflater& inflater) {
    if (inflater.stream) {
        return inflateReset(&inflater.stream->z) == Z_OK;
    }
    auto stream = std::make_unique<InflateStream>();
    if (inflateInit(&stream->z) != Z_OK) {
        return false;
    }
    inflater.stream.reset(stream.release());
    return true;
}

// The output has room for a byte more than the largest chunk the format
// allows: a chunk that inflates to exactly the largest size is then told
// from one that inflates further.
constexpr std::size_t OutputRoom = MaxChunkPayload + 1;

} // namespace

const char* inflateChunk(ChunkInflater& inflater, std::span<const std::uint8_t> payload) {
    if (!freshStream(inflater)) {
        return "no memory to inflate the data";
    }
    z_stream& z = inflater.stream->z;
    std::vector<std::uint8_t>& records = inflater.records;
    z.next_in = const_cast<std::uint8_t*>(payload.data());
    z.avail_in = static_cast<uInt>(payload.size());
    std::size_t written = 0;
    records.resize(std::min(OutputRoom, std::max<std::size_t>(4096, payload.size() * 4)));
    for (;;) {
        z.next_out = records.data() + written;
        z.avail_out = static_cast<uInt>(records.size() - written);
        const int status = inflate(&z, Z_NO_FLUSH);
        written = records.size() - z.avail_out;
        if (written > MaxChunkPayload) {
            return "a data chunk inflates to more than the format allows";
        }
        if (status == Z_STREAM_END) {
            break;
        }
        if (status != Z_OK && !(status == Z_BUF_ERROR && z.avail_out == 0)) {
            return "broken zlib stream";
        }
        if (z.avail_out == 0) {
            // Room for more: doubling, up to the largest chunk and a byte.
            records.resize(std::min(OutputRoom, written * 2));
        }
    }
    if (z.avail_in != 0) {
        return "bytes after the end of the zlib stream";
    }
    records.resize(written);
    inflater.inflatedSoFar += written;
    return nullptr;
}

} // namespace capture
