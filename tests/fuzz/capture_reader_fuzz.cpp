// The capture reader on arbitrary bytes, as they come and with every chunk's
// checksums made to fit (so that the records behind them are reached): it
// refuses with an offset inside the file or reads a capture whose parts add
// up, and whatever it reads, written again by the encoder and read back,
// gives the same header, settings, frames and closing mark.
#include "fuzz_check.h"

#include "capture/format/byte_codec.h"
#include "capture/format/capture_format.h"
#include "capture/format/reader/capture_reader.h"
#include "capture/format/writer/capture_encoder.h"
#include "capture/rerecord.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

namespace {

// Frames kept for the comparison, as many as a whole read takes; a longer
// capture is read to its end unchecked.
constexpr std::size_t MaxEventsCompared = 100000;
constexpr std::size_t MaxBytesCompared = MaxEventsCompared * capture::DecodedBytesPerEvent;

void append(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> bytes) {
    file.insert(file.end(), bytes.begin(), bytes.end());
}

void checkCapture(std::span<const std::uint8_t> bytes) {
    capture::CaptureFrameReader reader;
    if (const auto error = capture::openCapture(reader, bytes)) {
        FUZZ_CHECK(error->offset <= bytes.size());
        FUZZ_CHECK(!error->message.empty());
        return;
    }
    const auto partsAddUp = [&bytes](const capture::CaptureExtent& extent) {
        const bool cut = extent.ending == capture::CaptureEnding::TornTail ||
                         extent.ending == capture::CaptureEnding::Damaged;
        FUZZ_CHECK(extent.chunks >= 1);
        FUZZ_CHECK(extent.keptBytes + extent.droppedBytes == bytes.size());
        FUZZ_CHECK((extent.droppedBytes > 0) == cut);
    };
    partsAddUp(reader.extent);

    // Written again as it is read, with chunk boundaries of the input's choosing.
    capture::CaptureEncoder encoder;
    std::vector<std::uint8_t> again;
    capture::beginCapture(encoder, reader.header.pluginVersion, reader.header.buildIdentity);
    switch (reader.settings.found) {
    case capture::SettingsFound::NotRecorded:
        break;
    case capture::SettingsFound::NoFile:
        capture::recordNoSettingsFile(encoder);
        break;
    case capture::SettingsFound::File:
        capture::recordSettingsFile(encoder, reader.settings.bytes);
        break;
    case capture::SettingsFound::FileCut:
        // The encoder cuts only a file longer than the limit.
        capture::recordSettingsFile(encoder, reader.settings.bytes + '.');
        break;
    }
    const std::size_t flushEvery = bytes.size() % 7 + 1;
    std::vector<capture::CapturedFrame> frames;
    std::size_t events = 0;
    std::size_t decoded = 0;
    const auto compared = [&] {
        return events <= MaxEventsCompared && decoded <= MaxBytesCompared;
    };
    capture::CapturedFrame frame;
    capture::CaptureReadError error;
    for (;;) {
        const capture::FrameRead read = capture::readNextFrame(reader, frame, error);
        if (read == capture::FrameRead::Failed) {
            FUZZ_CHECK(error.offset < bytes.size());
            FUZZ_CHECK(!error.message.empty());
            return;
        }
        if (read == capture::FrameRead::Finished) {
            break;
        }
        // Every frame but the last ends with its wait, and has no other.
        FUZZ_CHECK(!frame.events.empty());
        for (std::size_t i = 0; i + 1 < frame.events.size(); ++i) {
            FUZZ_CHECK(!std::holds_alternative<capture::CapturedWait>(frame.events[i]));
        }
        if (!compared()) {
            continue;
        }
        decoded += capture::decodedSize(frame);
        for (const capture::CapturedEvent& event : frame.events) {
            capture_test::recordEventAgain(encoder, event);
            if (++events % flushEvery == 0) {
                append(again, capture::flushCapture(encoder));
            }
        }
        frames.push_back(frame);
    }
    // Reading may find a chunk that does not inflate: damage from there on.
    const capture::CaptureExtent extent = reader.extent;
    partsAddUp(extent);
    if (!compared()) {
        return;
    }
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        FUZZ_CHECK(std::holds_alternative<capture::CapturedWait>(frames[i].events.back()));
    }
    switch (extent.ending) {
    case capture::CaptureEnding::Closed:
        append(again, capture::endCapture(encoder));
        break;
    case capture::CaptureEnding::SizeCapReached:
        append(again, capture::stopAtSizeCap(encoder, extent.sizeCap));
        break;
    case capture::CaptureEnding::StoodDown:
        append(again, capture::endStoodDown(encoder));
        break;
    default:
        append(again, capture::flushCapture(encoder));
        break;
    }

    const capture::CaptureReadResult reread = capture::readCapture(again, MaxEventsCompared + 1);
    FUZZ_CHECK(!reread.error);
    const capture::Capture& copy = *reread.capture;
    FUZZ_CHECK(copy.header.pluginVersion == reader.header.pluginVersion);
    FUZZ_CHECK(copy.header.buildIdentity == reader.header.buildIdentity);
    FUZZ_CHECK(copy.settings.found == reader.settings.found);
    FUZZ_CHECK(copy.settings.bytes == reader.settings.bytes);
    FUZZ_CHECK(copy.frames == frames);
    FUZZ_CHECK(copy.extent.droppedBytes == 0);
    FUZZ_CHECK(copy.extent.keptBytes == again.size());
    if (extent.ending == capture::CaptureEnding::TornTail ||
        extent.ending == capture::CaptureEnding::Damaged) {
        FUZZ_CHECK(copy.extent.ending == capture::CaptureEnding::Unmarked);
    } else {
        FUZZ_CHECK(copy.extent.ending == extent.ending);
        FUZZ_CHECK(copy.extent.sizeCap == extent.sizeCap);
    }
}

// The same bytes with each chunk's checksums recomputed, as far as the
// chunk lengths lead.
std::vector<std::uint8_t> withFittingChecksums(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> fixed(bytes.begin(), bytes.end());
    std::size_t at = capture::SignatureSize;
    while (at <= fixed.size() && fixed.size() - at >= capture::ChunkHeaderSize) {
        std::uint8_t* header = fixed.data() + at;
        const std::size_t length = capture::loadU32(header + 4);
        if (length > fixed.size() - at - capture::ChunkHeaderSize) {
            break;
        }
        capture::storeU32(header + 8,
                          std::uint32_t(crc32(0, header + capture::ChunkHeaderSize, uInt(length))));
        capture::storeU32(header + 12, std::uint32_t(crc32(0, header, 12)));
        at += capture::ChunkHeaderSize + length;
    }
    return fixed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    checkCapture(bytes);
    checkCapture(withFittingChecksums(bytes));
    return 0;
}
