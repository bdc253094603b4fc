// Undoes the delta encoding of the data chunks: reads one record at a time
// into the current frame, against its base. A record that breaks the
// format's rules stops the reading with a message. Records refer to base
// events only forward of a cursor, so a frame holds at most its base's events
// plus the events written whole in it.
#pragma once

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/event_frame.h"
#include "capture/format/frame_history.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace capture {

struct DeltaReader {
    FrameHistory history; // the frames a frame may be written against
    EventFrame current;   // the frame being read
    std::size_t baseSlot = 0;
    std::size_t baseCursor = 0;
    std::array<std::uint64_t, HashCacheSize> hashCache{};
    std::array<RepeatSite, MaxRepeatCalls> sites{}; // of the last Repeat record that gave them
    std::size_t siteCount = 0;
    bool sitesRead = false;
};

enum class RecordOutcome {
    Event,      // an event was added to the current frame
    FrameEnded, // ... and it was a wait: the frame is now the base
    Skipped,    // base events were passed over, or the base chosen
    Failed,
};

// Reads one record from in. On failure, problem says what was wrong.
RecordOutcome readRecord(DeltaReader& reader, ByteCursor& in, const char*& problem);

} // namespace capture
