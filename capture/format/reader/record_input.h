// What the readers of records share (call_record_reader.cpp for calls and
// Repeat records, frame_delta_reader.cpp for the rest): checked reads.
#pragma once

#include "capture/format/reader/capture_reader.h"

#include <cstdint>
#include <limits>

namespace capture {

inline const EventFrame& baseFrame(const DeltaReader& reader) {
    return reader.history.frames[reader.baseSlot];
}

constexpr std::uint64_t Uint32Max = std::numeric_limits<std::uint32_t>::max();

// Reading stops at the first problem; later reads of the cursor give 0.
struct RecordInput {
    ByteCursor& in;
    const char*& problem;
};

inline bool fail(RecordInput& input, const char* what) {
    if (input.problem == nullptr) {
        input.problem = what;
    }
    input.in.ok = false;
    return false;
}

inline bool good(RecordInput& input, const char* whatIfNot) {
    return input.in.ok || fail(input, whatIfNot);
}

inline std::uint64_t takeSmall(RecordInput& input, std::uint8_t small) {
    if (small < op::SmallLimit) {
        return small;
    }
    const std::uint64_t more = takeVarint(input.in);
    if (more > std::numeric_limits<std::uint64_t>::max() - op::SmallLimit) {
        fail(input, "record value out of range");
        return 0;
    }
    return more + op::SmallLimit;
}

inline std::int32_t takeInt32(RecordInput& input) {
    const std::uint64_t value = takeVarint(input.in);
    if (value > Uint32Max) {
        fail(input, "32-bit value out of range");
        return 0;
    }
    return static_cast<std::int32_t>(unzigzag(value));
}

inline std::int32_t takeInt32Delta(RecordInput& input, std::int32_t base) {
    const auto delta = static_cast<std::uint32_t>(takeInt32(input));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(base) + delta);
}

inline std::uint64_t takeHash(DeltaReader& reader, RecordInput& input) {
    const std::uint64_t hash = takeU64(input.in);
    reader.hashCache[hashCacheSlot(hash)] = hash;
    return hash;
}

// A call written whole (small is 1 when its hash is one of the hash cache's),
// and a call written as the changes to the base call `was`.
bool readCall(DeltaReader& reader, RecordInput& input, std::uint8_t small);
bool readCallDelta(DeltaReader& reader, RecordInput& input, const FrameEvent& was);
// A Repeat record's sites, when it gives them, and the deltas of the words
// they change, into the base frame's events copied to the current frame.
RecordOutcome readRepeat(DeltaReader& reader, RecordInput& input, std::uint8_t small);
RecordOutcome eventAdded(DeltaReader& reader);
RecordOutcome failed(RecordInput& input, const char* what);

} // namespace capture
