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

bool startStream(ChunkInflater& inflater) {
    auto stream = std::make_unique<InflateStream>();
    constexpr int RawWindowBits = -15;
    if (inflateInit2(&stream->z, RawWindowBits) != Z_OK) {
        return false;
    }
    inflater.stream.reset(stream.release());
    return true;
}

// The output has room for a byte more than the largest chunk the format
// allows: a chunk that inflates to exactly the largest size is then told
// from one that inflates further.
constexpr std::size_t OutputRoom = MaxChunkPayload + 1;

// Room for more output: doubling, up to that room.
void growOutput(std::vector<std::uint8_t>& records, std::size_t written) {
    records.resize(std::min(OutputRoom, std::max<std::size_t>(4096, written * 2)));
}

} // namespace

const char* inflateChunk(ChunkInflater& inflater, std::span<const std::uint8_t> payload) {
    if (!inflater.stream && !startStream(inflater)) {
        return "no memory to inflate the data";
    }
    z_stream& z = inflater.stream->z;
    std::vector<std::uint8_t>& records = inflater.records;
    z.next_in = const_cast<std::uint8_t*>(payload.data());
    z.avail_in = static_cast<uInt>(payload.size());
    std::size_t written = 0;
    records.resize(std::min(OutputRoom, std::max<std::size_t>(4096, payload.size() * 4)));
    for (;;) {
        if (written == records.size()) {
            growOutput(records, written);
        }
        z.next_out = records.data() + written;
        z.avail_out = static_cast<uInt>(records.size() - written);
        const int status = inflate(&z, Z_SYNC_FLUSH);
        written = records.size() - z.avail_out;
        if (written > MaxChunkPayload) {
            return "a data chunk inflates to more than the format allows";
        }
        if (inflater.inflatedSoFar + written > inflater.maxInflated) {
            return "the capture inflates to more than the bytes a whole read may decode to";
        }
        if (status == Z_STREAM_END) {
            return "the deflate stream ends, which the writer never does";
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            return "broken deflate stream";
        }
        // Everything given was taken and all that it makes was put out.
        if (z.avail_in == 0 && z.avail_out != 0) {
            break;
        }
        if (status == Z_BUF_ERROR && z.avail_out != 0) {
            return "broken deflate stream";
        }
    }
    records.resize(written);
    inflater.inflatedSoFar += written;
    return nullptr;
}

} // namespace capture
