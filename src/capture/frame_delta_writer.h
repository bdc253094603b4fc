// Writes the events of a frame as records against the previous frame (the
// base): runs of events the same as the base event at the cursor, base events
// passed over, changed base events with only the fields that changed, and
// events written whole. docs/capture-format.md gives the records' layout.
#pragma once

#include "capture/byte_codec.h"
#include "capture/capture_format.h"
#include "capture/event_frame.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture {

struct DeltaWriter {
    std::size_t baseCursor = 0; // next base event a record may refer to
    std::size_t nextEvent = 0;  // first event of the current frame not yet written
    std::size_t sameRun = 0;    // events the same as the base, not yet written
    std::array<std::uint64_t, HashCacheSize> hashCache{};
};

// How far ahead the writer looks for base events left out or events put in
// before it falls back to writing an event against the base event at the cursor.
inline constexpr std::size_t RealignWindow = 16;
inline constexpr std::size_t HandleRealignWindow = 8;

// Writes the next event of the current frame. A run of events the same as the
// base stays open until a different event comes or closeSameRun.
void writeNextEvent(DeltaWriter& writer, const EventFrame& base, const EventFrame& current,
                    std::vector<std::uint8_t>& out);
inline void putOp(std::vector<std::uint8_t>& out, std::uint8_t code, std::uint64_t small) {
    if (small < op::SmallLimit) {
        putByte(out, static_cast<std::uint8_t>(code | small));
    } else {
        putByte(out, static_cast<std::uint8_t>(code | op::SmallLimit));
        putVarint(out, small - op::SmallLimit);
    }
}
inline void closeSameRun(DeltaWriter& writer, std::vector<std::uint8_t>& out) {
    if (writer.sameRun > 0) {
        putOp(out, op::Same, writer.sameRun - 1);
        writer.sameRun = 0;
    }
}
// Writes a call against the base call it changes in its words alone (the
// same hash, texts, slots and word counts), as the delta of any call is
// written, with only the fields that changed: given the base call's words
// (the arguments then the answer), the mask of those that changed (bit i:
// word i) and the words as they are now. The base call's words take the new
// ones. It goes into room the caller has made, at most
// changedCallBound bytes, and the end of what it wrote is returned.
inline constexpr std::size_t changedCallBound(std::size_t words) {
    return 4 + MaxVarintBytes * (words + 1);
}
inline std::uint8_t* writeChangedCall(std::uint64_t* was, std::size_t argCount,
                                      std::size_t resultCount, std::uint64_t changed,
                                      const std::uint64_t* now, std::uint8_t* out) {
    const std::uint64_t argBits = argCount < 64 ? (std::uint64_t{1} << argCount) - 1 : ~0ull;
    const auto argsChanged = static_cast<std::uint32_t>(changed & argBits);
    const auto resultChanged = static_cast<std::uint32_t>(changed >> argCount);
    *out++ = op::CallDelta;
    *out++ = static_cast<std::uint8_t>((argsChanged != 0 ? delta_field::Args : 0) |
                                       (resultChanged != 0 ? delta_field::Result : 0));
    if (argsChanged != 0) {
        *out++ = static_cast<std::uint8_t>(argCount);
        out = storeVarint(out, argsChanged);
    }
    for (std::uint32_t bits = argsChanged; bits != 0; bits &= bits - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(bits));
        out = storeVarint(out, wordDelta(now[i], was[i]));
        was[i] = now[i];
    }
    if (resultChanged != 0) {
        *out++ = static_cast<std::uint8_t>(resultCount | resultChanged << 2);
        for (std::uint32_t bits = resultChanged; bits != 0; bits &= bits - 1) {
            const auto i = argCount + static_cast<std::size_t>(std::countr_zero(bits));
            out = storeVarint(out, wordDelta(now[i], was[i]));
            was[i] = now[i];
        }
    }
    return out;
}
// A run of events the same as the base, the same way: at most SameRunBound bytes.
inline constexpr std::size_t SameRunBound = 1 + MaxVarintBytes;
inline std::uint8_t* storeSameRun(std::size_t run, std::uint8_t* out) {
    const std::uint64_t small = run - 1;
    if (small < op::SmallLimit) {
        *out++ = static_cast<std::uint8_t>(op::Same | small);
        return out;
    }
    *out++ = static_cast<std::uint8_t>(op::Same | op::SmallLimit);
    return storeVarint(out, small - op::SmallLimit);
}
// After a wait: the current frame becomes the base of the next.
inline void startNextFrame(DeltaWriter& writer) {
    writer.baseCursor = 0;
    writer.nextEvent = 0;
}

} // namespace capture
