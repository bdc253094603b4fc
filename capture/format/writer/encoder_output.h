// The two halves of the capture encoder (capture_encoder.h): the recording
// of events, with the comparison of each against the repeated frame
// (capture_encoder.cpp), and the writing of frames into chunks, with the
// header, settings and closing chunks (encoder_output.cpp). These are what
// each half asks of the other.
#pragma once

#include "capture/format/writer/capture_encoder.h"

namespace capture {

// The frame stops repeating: the events it repeated go into the current
// frame, the changed calls with their new words.
void stopRepeating(CaptureEncoder& encoder);

// A frame that repeated the stored one to its wait: its records (what the
// general writer would write for it: runs of the same events and the changed
// calls). The stored frame takes the new words and becomes the latest, as the
// reader's copy does when it reads the frame.
void writeRepeatedFrame(CaptureEncoder& encoder);

// A frame recorded event by event, complete with its wait: what of it is not
// written yet goes through the general writer.
void writeCompleteFrame(CaptureEncoder& encoder);

} // namespace capture
