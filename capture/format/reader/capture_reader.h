// Reading a capture file (.pbcap): the header, the settings file as the
// script read it, and the frames, each ending with its wait (the last may
// lack it). Nothing in the file is trusted: what no writer makes is refused
// with the byte offset of the fault; a torn tail, or a damaged chunk before
// it, stops the reading cleanly and is told (docs/capture-format.md). Memory
// stays bounded by the file's size; reading it all at once takes a limit on
// the events and on what they decode to.
#pragma once

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/event_frame.h"
#include "capture/format/reader/frame_history.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace capture {

// Undoes the delta encoding of the data chunks: reads one record at a time
// into the current frame, against its base. A record that breaks the
// format's rules stops the reading with a message. Records refer to base
// events only forward of a cursor, so a frame holds at most its base's events
// plus the events written whole in it.
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

struct CapturedText {
    std::uint32_t argIndex = 0;
    std::string bytes;
    bool operator==(const CapturedText&) const = default;
};

// The words at text and slot indices read as 0: replay compares texts by
// their bytes and writes slots from their values.
struct CapturedCall {
    std::uint64_t hash = 0;
    std::vector<std::uint64_t> args;
    std::vector<CapturedText> texts;
    std::vector<SlotEntry> slots;
    std::vector<std::uint64_t> result;
    bool operator==(const CapturedCall&) const = default;
};

struct CapturedPeds {
    std::int32_t capacity = 0;
    std::vector<std::int32_t> handles; // as written
    std::int32_t returned = 0;         // as returned, which may differ
    bool operator==(const CapturedPeds&) const = default;
};

struct CapturedWait {
    std::uint32_t ms = 0;
    bool operator==(const CapturedWait&) const = default;
};

using CapturedEvent = std::variant<CapturedCall, CapturedPeds, CapturedWait>;

struct CapturedFrame {
    std::vector<CapturedEvent> events;
    bool operator==(const CapturedFrame&) const = default;
};

struct CaptureHeader {
    std::uint32_t formatVersion = 0;
    std::string pluginVersion;
    std::string buildIdentity;
};

struct CapturedSettings {
    SettingsFound found = SettingsFound::NotRecorded;
    std::string bytes;
};

enum class CaptureEnding {
    Closed,         // the end mark written at unload
    SizeCapReached, // the capture stopped at its byte cap
    Unmarked,       // the file ends after a whole chunk, with no closing mark
    TornTail,       // the last chunk is cut short or fails its checksum
    StoodDown,      // the shipped plugin was loaded too: nothing was recorded
    Damaged,        // a chunk before the last fails its checksum or does not inflate
};

struct CaptureExtent {
    CaptureEnding ending = CaptureEnding::Unmarked;
    std::uint64_t sizeCap = 0;         // with SizeCapReached
    std::size_t keptBytes = 0;         // up to the end of the last whole chunk read
    std::size_t droppedBytes = 0;      // of a torn tail, or from the damage on
    std::size_t chunks = 0;            // whole chunks kept
    std::size_t chunksAfterDamage = 0; // whole chunks after a damaged one, not read
};

struct CaptureReadError {
    std::size_t offset = 0;
    std::string message;
};
// "offset N: message"
std::string describe(const CaptureReadError& error);

const char* endingName(CaptureEnding ending);
// What a torn tail ("120 bytes kept, 30 dropped") or a damaged chunk ("damage
// at byte 4096, the frames after frame 62 lost, 2 whole chunks after it not
// read") left out, given the frames read before it.
std::string endingDetails(const CaptureExtent& extent, std::size_t framesKept);

// Frame by frame.
struct CaptureFrameReader {
    std::span<const std::uint8_t> bytes;
    CaptureHeader header;
    CapturedSettings settings;
    CaptureExtent extent;
    std::size_t nextChunk = 0; // offset of the next chunk to look at
    std::size_t dataChunk = 0; // offset of the data chunk being read
    ByteCursor payload;        // of the data chunk being read: its records, inflated in version 3
    std::vector<std::uint8_t> inflated; // the records of the last chunk inflated
    std::size_t inflatedSoFar = 0;      // by every chunk
    std::size_t maxInflated = SIZE_MAX; // a whole read's limit
    DeltaReader delta;
    bool finished = false;
};

// Checks the signature and every chunk's frame and checksum, and reads the
// header, the settings and the ending. The bytes must outlive the reader.
std::optional<CaptureReadError> openCapture(CaptureFrameReader& reader,
                                            std::span<const std::uint8_t> bytes);

enum class FrameRead { Frame, Finished, Failed };
FrameRead readNextFrame(CaptureFrameReader& reader, CapturedFrame& frame, CaptureReadError& error);
// The same frame as the reader holds it (event_frame.h), valid until the next
// read: for a quick look at many frames, with nothing copied.
FrameRead readNextEventFrame(CaptureFrameReader& reader, const EventFrame*& frame,
                             CaptureReadError& error);

// All at once.
struct Capture {
    CaptureHeader header;
    CapturedSettings settings;
    CaptureExtent extent;
    std::vector<CapturedFrame> frames;
};

struct CaptureReadResult {
    std::optional<Capture> capture;
    std::optional<CaptureReadError> error;
};

// A capture of more events, or that decodes to more than DecodedBytesPerEvent
// for each event allowed, is refused (read it frame by frame).
inline constexpr std::size_t DefaultMaxEvents = std::size_t{1} << 20;
inline constexpr std::size_t DecodedBytesPerEvent = 256;
// What a frame takes decoded, near enough for that limit.
std::size_t decodedSize(const CapturedFrame& frame);

CaptureReadResult readCapture(std::span<const std::uint8_t> bytes,
                              std::size_t maxEvents = DefaultMaxEvents);
CaptureReadResult readCaptureFile(const std::filesystem::path& path,
                                  std::size_t maxEvents = DefaultMaxEvents);

} // namespace capture
