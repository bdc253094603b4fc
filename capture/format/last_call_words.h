// In format version 2 a Call record's argument and result words are written
// against the words of the last Call record of the same native: each word
// as its delta (wordDelta) from that call's word at the same index, 0 past
// that call's counts. The calls made for one ped differ from those made for
// the ped before mostly in a handle that moves on by a few, so the records of
// a ped repeat those of the ped before nearly byte for byte, and deflate
// finds long matches where plain words gave it short ones.
//
// Writer and reader keep the same table: one entry a hash-cache slot, holding
// the hash and the words of the last Call record of a native in that slot.
// A native whose slot holds another's (or nothing) is written against zeros
// and then takes the slot over. Only Call records read or change the table;
// it carries across chunks and starts empty with each capture. Its entries
// are made at the first Call record, so a capture without any (and every
// version-1 capture) costs nothing for it.
#pragma once

#include "capture/format/capture_format.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace capture {

struct LastCallWords {
    std::uint64_t hash = 0;
    std::uint8_t argCount = 0;
    std::uint8_t resultCount = 0;
    std::array<std::uint64_t, MaxArgs> args{};
    std::array<std::uint64_t, MaxResultWords> result{};
};

struct LastCallTable {
    std::vector<LastCallWords> slots; // HashCacheSize of them once a Call record came
};

inline std::span<const std::uint64_t> lastArgs(const LastCallWords& last) {
    return {last.args.data(), last.argCount};
}
inline std::span<const std::uint64_t> lastResult(const LastCallWords& last) {
    return {last.result.data(), last.resultCount};
}

// The entry a Call record of this native is written against: the words of its
// last Call record, or none when the slot is another native's, which it now
// becomes.
inline LastCallWords& lastCallOf(LastCallTable& table, std::uint64_t hash) {
    if (table.slots.empty()) {
        table.slots.resize(HashCacheSize);
    }
    LastCallWords& last = table.slots[hashCacheSlot(hash)];
    if (last.hash != hash) {
        last.hash = hash;
        last.argCount = 0;
        last.resultCount = 0;
    }
    return last;
}

// After a Call record: its words are what the next one of its native is
// written against. The counts are at most MaxArgs and MaxResultWords.
inline void keepCallWords(LastCallWords& last, std::span<const std::uint64_t> args,
                          std::span<const std::uint64_t> result) {
    std::copy(args.begin(), args.end(), last.args.begin());
    std::copy(result.begin(), result.end(), last.result.begin());
    last.argCount = static_cast<std::uint8_t>(args.size());
    last.resultCount = static_cast<std::uint8_t>(result.size());
}

} // namespace capture
