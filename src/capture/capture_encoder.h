// The capture encoder: the capture build of the plugin hands it every call
// and answer at the host seam, and it turns them into the chunks of a .pbcap
// file. Each frame (the events up to and including a wait) is written against
// the frame before it, and the delta state carries across chunks, so a chunk
// is read after the chunks before it.
//
// Bytes come out only through flushCapture (and the two closing marks): the
// span it returns holds whole chunks, to be appended to the file before the
// encoder is used again. Once its buffers have grown to a frame's working
// size, recording a frame allocates nothing.
#pragma once

#include "capture/event_frame.h"
#include "capture/frame_delta_writer.h"
#include "capture/frame_history.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace capture {

// A text argument: its index among the arguments and its bytes (up to the NUL).
struct TextArg {
    std::uint32_t argIndex = 0;
    std::string_view bytes;
};

// An out-parameter slot: its index among the arguments and the 32-bit value
// it held after the call.
struct SlotArg {
    std::uint32_t argIndex = 0;
    std::uint32_t value = 0;
};

// One native call as the host saw it. Texts and slots are given in the order
// of their argument indices; the words at those indices are addresses, which
// mean nothing on replay, and are kept as 0. The encoder keeps at most
// MaxArgs words, MaxResultWords result words and MaxTextBytes of a text, and
// drops a text or slot whose index is not past the one before it or not
// below the argument count.
struct NativeCallRecord {
    std::uint64_t hash = 0;
    std::span<const std::uint64_t> args;
    std::span<const TextArg> texts;
    std::span<const SlotArg> slots;
    std::span<const std::uint64_t> result;
};

struct CaptureEncoder {
    FrameHistory history; // the frames a frame may be written against
    EventFrame current;   // the frame being recorded
    DeltaWriter writer;
    std::size_t baseSlot = 0;         // of the current frame's base
    std::vector<std::uint8_t> output; // chunks not yet handed out, then the open chunk
    std::size_t chunkStart = 0;       // of the open data chunk's header
    bool chunkOpen = false;
    bool handedOut = false; // output went to the caller: cleared before the next write
    bool stopped = false;   // a closing mark is written: nothing more is recorded
};

// Starts a capture afresh: the file signature and the header chunk.
void beginCapture(CaptureEncoder& encoder, std::string_view pluginVersion,
                  std::string_view buildIdentity);
// Pallbrook.ini as the script read it at its start (at most MaxSettingsBytes
// are kept, marked as cut), or that there was no such file.
void recordSettingsFile(CaptureEncoder& encoder, std::string_view bytes);
void recordNoSettingsFile(CaptureEncoder& encoder);

void recordNativeCall(CaptureEncoder& encoder, const NativeCallRecord& call);
// worldGetAllPeds: the array size it was given, the handles it wrote (at most
// MaxPedHandles kept) and the count it returned.
void recordPedsAnswer(CaptureEncoder& encoder, std::int32_t capacity,
                      std::span<const std::int32_t> written, std::int32_t returned);
// scriptWait, the end of a frame.
void recordWait(CaptureEncoder& encoder, std::uint32_t ms);

// Writes what has been recorded, closes the open chunk and returns every
// byte not handed out before. Valid until the next call on the encoder.
std::span<const std::uint8_t> flushCapture(CaptureEncoder& encoder);

// The closing marks: the caller stopped the capture at its byte cap, or the
// capture ended at unload. Each flushes first; afterwards records are ignored.
std::span<const std::uint8_t> stopAtSizeCap(CaptureEncoder& encoder, std::uint64_t capBytes);
std::span<const std::uint8_t> endCapture(CaptureEncoder& encoder);
// The closing mark of a capture build that sat out: the shipped plugin was
// loaded too.
std::span<const std::uint8_t> endStoodDown(CaptureEncoder& encoder);

} // namespace capture
