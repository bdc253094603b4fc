// Building capture bytes by hand, for files the encoder would never write.
#pragma once

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/writer/capture_encoder.h"

#include <zlib.h>

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
    capture::putU32(out, std::uint32_t(crc32(0, payload.data(), uInt(payload.size()))));
    capture::putU32(out, std::uint32_t(crc32(0, out.data(), 12)));
    return join({out, payload});
}

// The records of a data chunk as version 3 holds them, compressed by zlib.
inline Bytes compressed(const Bytes& records) {
    Bytes out(compressBound(uLong(records.size())));
    uLongf size = out.size();
    compress2(out.data(), &size, records.data(), uLong(records.size()), 3);
    out.resize(size);
    return out;
}

// Records as a zlib stream made by hand: the header 78 01, stored blocks (a
// byte 0, or 1 for the last, the length and its complement as u16, the
// bytes), then the Adler-32 of the records, big endian.
inline Bytes stored(const Bytes& records) {
    Bytes out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const auto n =
            static_cast<std::uint16_t>(std::min<std::size_t>(0xFFFF, records.size() - at));
        const bool last = at + n == records.size();
        out.insert(out.end(), {std::uint8_t(last ? 1 : 0), std::uint8_t(n), std::uint8_t(n >> 8),
                               std::uint8_t(~n), std::uint8_t(~n >> 8)});
        out.insert(out.end(), records.begin() + long(at), records.begin() + long(at + n));
        at += n;
    } while (at < records.size());
    const auto adler = static_cast<std::uint32_t>(adler32(1, records.data(), uInt(records.size())));
    out.insert(out.end(), {std::uint8_t(adler >> 24), std::uint8_t(adler >> 16),
                           std::uint8_t(adler >> 8), std::uint8_t(adler)});
    return out;
}

// The signature and header chunk, as the encoder writes them; version 1
// differs only in the version number.
inline Bytes captureStart(std::uint32_t version = capture::FormatVersion) {
    capture::CaptureEncoder encoder;
    capture::beginCapture(encoder, "0.1.0", "raw");
    const auto bytes = capture::flushCapture(encoder);
    Bytes start(bytes.begin(), bytes.end());
    capture::storeU32(start.data() + capture::FileMagic.size(), version);
    return start;
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
