// The frame being recorded, compared event by event with the stored frame it
// is taken to repeat (capture_encoder.h tells why): the encoder's one test of
// every event, and the writing of a frame that repeated to its wait.
#pragma once

#include "capture_file/writer/capture_encoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture {

// The current frame, empty, is taken to repeat the frame in this slot.
void repeatFrom(RepeatedFrame& repeated, const FrameHistory& history, std::size_t slot);

// The stored event the next event of the frame is to be compared with (its
// shape word: eventShapeWord), or null when the frame no longer repeats a
// stored one or has gone past its end. A frame's first event picks the
// stored frame it is taken to repeat.
const FrameEvent* nextRepeatedEvent(CaptureEncoder& encoder, std::uint64_t shapeWord);

// Compares a call with the stored call `was` (from nextRepeatedEvent): the
// same native, word counts, texts by content and slots by value, and then
// its words but those of its texts and slots. A call that repeats it, or
// differs only in its words while the frame has room for another changed
// call, is noted and the result is true; otherwise nothing is noted.
bool repeatsCall(CaptureEncoder& encoder, const FrameEvent& was, const NativeCallRecord& call,
                 std::size_t argCount, std::size_t resultCount);

// The frame stops repeating: the events it repeated go into the current
// frame, the changed calls with their new words.
void stopRepeating(CaptureEncoder& encoder);

// A frame that repeated the stored one to its wait: appends its records
// (which the general writer would write for it: runs of the same events and
// the changed calls) to `out`. The stored frame takes the new words and
// becomes the latest, as the reader's copy does when it reads the frame.
void writeRepeatedFrame(CaptureEncoder& encoder, std::vector<std::uint8_t>& out);

} // namespace capture
