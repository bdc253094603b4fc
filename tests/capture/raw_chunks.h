// Building capture bytes by hand, for files the encoder would never write.
#pragma once

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/crc32.h"
#include "capture/format/writer/capture_encoder.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace capture_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}
inline Bytes varint(std::uint64_t value) {
    Bytes out;
    capture::putVarint(out, value);
    return out;
}
inline Bytes u64(std::uint64_t value) {
    Bytes out;
    capture::putU64(out, value);
    return out;
}
inline Bytes text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes chunk(const capture::ChunkTag& tag, const Bytes& payload) {
    Bytes out(tag.begin(), tag.end());
    capture::putU32(out, static_cast<std::uint32_t>(payload.size()));
    capture::putU32(out, capture::crc32(payload));
    capture::putU32(out, capture::crc32({out.data(), 12}));
    return join({out, payload});
}

// The records of a data chunk as version 2 holds them: deflated after the
// chunks before, here none.
inline Bytes deflated(const Bytes& records) {
    capture::ChunkCompressor compressor;
    capture::restartCompression(compressor);
    Bytes out = records;
    capture::compressRecords(compressor, out, 0);
    return out;
}

// Records as a deflate stream made by hand, as a data chunk of version 2
// may hold them: stored blocks (a zero byte, the length and its complement
// as u16, the bytes), then the sync flush, an empty stored block.
inline Bytes stored(const Bytes& records) {
    Bytes out;
    for (std::size_t at = 0; at <= records.size(); at += 0xFFFF) {
        const auto n =
            static_cast<std::uint16_t>(std::min<std::size_t>(0xFFFF, records.size() - at));
        out.insert(out.end(), {0x00, std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n),
                               std::uint8_t(~n >> 8)});
        out.insert(out.end(), records.begin() + long(at), records.begin() + long(at + n));
        if (n == 0) {
            return out; // the empty block is the sync flush
        }
    }
    out.insert(out.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF});
    return out;
}

// The signature and header chunk, as the encoder writes them (in version 1
// when not compressed).
inline Bytes captureStart(bool compressed = true) {
    capture::CaptureEncoder encoder;
    encoder.compressor.level =
        compressed ? capture::DefaultCompressionLevel : capture::Uncompressed;
    capture::beginCapture(encoder, "0.1.0", "raw");
    const auto bytes = capture::flushCapture(encoder);
    return {bytes.begin(), bytes.end()};
}

// Where each chunk starts, walking the lengths; the last entry is the end.
inline std::vector<std::size_t> chunkStarts(const Bytes& file) {
    std::vector<std::size_t> starts;
    std::size_t at = capture::SignatureSize;
    while (at + capture::ChunkHeaderSize <= file.size()) {
        starts.push_back(at);
        at += capture::ChunkHeaderSize + capture::loadU32(file.data() + at + 4);
    }
    starts.push_back(at);
    return starts;
}

} // namespace capture_test
