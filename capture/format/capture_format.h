// The numbers of the capture file (.pbcap) that writer and reader share;
// docs/capture-format.md describes the format.
#pragma once

#include "plugin/native_list.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace capture {

// The file starts with these eight bytes and the format version (u32).
inline constexpr std::array<std::uint8_t, 8> FileMagic{0x89, 'P', 'B', 'C', 'A', 'P', '\r', '\n'};
// Version 3 compresses each data chunk's records with zlib; version 1 (the
// released capture build 0.1.0) stores them as they are. The encoder writes
// version 3, the reader reads both.
inline constexpr std::uint32_t FormatVersion = 3;
inline constexpr std::uint32_t UncompressedFormatVersion = 1;
inline constexpr std::size_t SignatureSize = FileMagic.size() + 4;

// Every chunk: tag, payload length (u32), CRC-32 of the payload (u32), CRC-32
// of the twelve bytes before it (u32), then the payload.
inline constexpr std::size_t ChunkHeaderSize = 16;
using ChunkTag = std::array<std::uint8_t, 4>;
inline constexpr ChunkTag HeaderTag{'H', 'E', 'A', 'D'};    // plugin version, build identity
inline constexpr ChunkTag SettingsTag{'I', 'N', 'I', 'S'};  // Pallbrook.ini as read
inline constexpr ChunkTag DataTag{'D', 'A', 'T', 'A'};      // event records
inline constexpr ChunkTag SizeCapTag{'F', 'U', 'L', 'L'};   // stopped: size cap reached
inline constexpr ChunkTag EndTag{'D', 'O', 'N', 'E'};       // closed at unload
inline constexpr ChunkTag StoodDownTag{'S', 'A', 'T', 'O'}; // the shipped plugin ran instead

// A data chunk is closed once its records reach the target, between two
// events; no payload, nor a data chunk's inflated records, exceeds the maximum.
inline constexpr std::size_t DataChunkTargetSize = 1u << 20;
inline constexpr std::size_t MaxChunkPayload = 16u << 20;

// What a Repeat record and an event may hold. The encoder keeps at most
// these; the reader refuses more.
inline constexpr std::size_t MaxRepeatCalls = 16;
inline constexpr std::size_t MaxArgs = MaxNativeArgs;
inline constexpr std::size_t MaxResultWords = 3;
inline constexpr std::size_t MaxTextBytes = 64u << 10;
inline constexpr std::size_t MaxPedHandles = 1u << 16;
inline constexpr std::size_t MaxSettingsBytes = 8u << 20;

// Settings chunk: one byte of these (NotRecorded means no chunk), then the
// bytes of the file.
enum class SettingsFound : std::uint8_t {
    NoFile = 0,
    File = 1,
    FileCut = 2, // the first MaxSettingsBytes of a larger file
    NotRecorded = 3,
};

// Records of a data chunk: an op byte, high nibble the op, low nibble a small
// value (15: the value is 15 plus a varint that follows). CallDelta,
// PedsDelta and Base are read, for version 1 captures, but no longer written.
namespace op {
inline constexpr std::uint8_t Same = 0x00;      // n-1: the next n base events again
inline constexpr std::uint8_t Skip = 0x10;      // n-1: pass over n base events
inline constexpr std::uint8_t Call = 0x20;      // low bit: hash from the hash cache
inline constexpr std::uint8_t CallDelta = 0x30; // a changed base call; field mask follows
inline constexpr std::uint8_t Peds = 0x40;      // a ped list answer
inline constexpr std::uint8_t PedsDelta = 0x50; // a changed base ped list answer
inline constexpr std::uint8_t Wait = 0x60;      // ms
inline constexpr std::uint8_t Base = 0x70;      // slot: the frame is written against it
// The base frame again but for some calls' words, each a delta from the base
// word; low bit: the sites (calls and words) follow, else the last ones hold.
inline constexpr std::uint8_t Repeat = 0x80;
inline constexpr std::uint8_t NewSites = 1;
inline constexpr std::uint8_t SmallLimit = 15;
} // namespace op

// A call a Repeat record changes: its index in the base frame and which of
// its argument and answer words change (bit i: word i).
struct RepeatSite {
    std::size_t event = 0;
    std::uint32_t argsChanged = 0;
    std::uint32_t resultChanged = 0;
    bool operator==(const RepeatSite&) const = default;
};

// Fields of a CallDelta record, in the order they follow the mask.
namespace delta_field {
inline constexpr std::uint8_t Hash = 0x01;
inline constexpr std::uint8_t Args = 0x02;
inline constexpr std::uint8_t Texts = 0x04;
inline constexpr std::uint8_t Slots = 0x08;
inline constexpr std::uint8_t Result = 0x10;
inline constexpr std::uint8_t All = 0x1F;
} // namespace delta_field

// Runs of a PedsDelta handle list: varint (n-1) << 2 | kind.
namespace handle_run {
inline constexpr std::uint8_t Same = 0;
inline constexpr std::uint8_t Skip = 1;
inline constexpr std::uint8_t Fresh = 2;
} // namespace handle_run

// The hash cache: literal calls name a hash seen before by its slot.
inline constexpr std::size_t HashCacheSize = 256;
inline constexpr std::size_t hashCacheSlot(std::uint64_t hash) {
    return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 56);
}

} // namespace capture
