// Writes the events of a frame as records against the previous frame (the
// base): runs of events the same as the base event at the cursor, base events
// passed over, changed base events with only the fields that changed, and
// events written whole. docs/capture-format.md gives the records' layout.
#pragma once

#include "capture/format/capture_format.h"
#include "capture/format/event_frame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
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
// Closes the open run of events the same as the base.
void closeSameRun(DeltaWriter& writer, std::vector<std::uint8_t>& out);
// After a wait: the current frame becomes the base of the next.
inline void startNextFrame(DeltaWriter& writer) {
    writer.baseCursor = 0;
    writer.nextEvent = 0;
}

} // namespace capture
