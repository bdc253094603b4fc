// Every bound of the capture file, tried at the bound and one past it: the
// reader takes what the document allows and refuses one more, the encoder
// keeps what the format holds and cuts one more. The capture layer's own
// bounds are tried in capture_layer_limits_test.cpp.
#include "capture/raw_chunks.h"
#include "capture/session.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace capture_test;

const Bytes HashA = {0x01, 0, 0, 0, 0, 0, 0, 0};

Bytes times(std::size_t count, std::uint8_t byte) {
    return Bytes(count, byte);
}

// A Call record of version 1 (words plain) of hash 1: argument count and
// words, then what follows them.
Bytes callRecord(std::size_t argCount, const Bytes& rest) {
    return join({{0x20}, HashA, {std::uint8_t(argCount)}, times(argCount, 0x00), rest});
}

// count texts or slots at the first indices, each an index and then entry.
Bytes pointerArgs(std::size_t count, const Bytes& entry) {
    Bytes out = varint(count);
    for (std::size_t i = 0; i < count; ++i) {
        out = join({out, varint(i), entry});
    }
    return out;
}

struct RecordBound {
    const char* what;
    Bytes atBound; // read
    Bytes past;    // refused
};

std::vector<RecordBound> recordBounds() {
    const Bytes noTexts = {0x00}, noSlots = {0x00}, noResult = {0x00};
    const Bytes base = join({callRecord(0, {0, 0, 0}), {0x60}}); // a call, then its wait
    const Bytes twoCalls = join({callRecord(0, {0, 0, 0}), callRecord(0, {0, 0, 0}), {0x60}});
    const Bytes textAt = join({{1}, varint(31), {1, 't'}, noSlots, noResult, {0x60}});
    const Bytes slotAt = join({noTexts, {1}, varint(31), {7}, noResult, {0x60}});
    const auto tenBytes = [](std::uint8_t last) { return join({times(9, 0xFF), {last}}); };
    const auto wait = [](std::uint64_t ms) { return join({{0x6F}, varint(ms - 15)}); };
    const auto handles = [](std::size_t n) { return join({{0x40, 0, 0}, varint(n), times(n, 0)}); };
    const Bytes text = {1, 't'}, slot = {7};
    return {
        {"arguments", callRecord(32, {0, 0, 0, 0x60}), callRecord(33, {0, 0, 0, 0x60})},
        {"result words", callRecord(0, {0, 0, 3, 1, 2, 3, 0x60}),
         callRecord(0, {0, 0, 4, 1, 2, 3, 4, 0x60})},
        {"text bytes",
         callRecord(1, join({{1, 0}, varint(65536), times(65536, 't'), {0, 0, 0x60}})),
         callRecord(1, join({{1, 0}, varint(65537), times(65537, 't'), {0, 0, 0x60}}))},
        {"text index", callRecord(32, textAt),
         callRecord(32, join({{1}, varint(32), {1, 't'}, noSlots, noResult, {0x60}}))},
        {"texts", callRecord(32, join({pointerArgs(32, text), noSlots, noResult, {0x60}})),
         callRecord(32, join({pointerArgs(33, text), noSlots, noResult, {0x60}}))},
        {"slot index", callRecord(32, slotAt),
         callRecord(32, join({noTexts, {1}, varint(32), {7}, noResult, {0x60}}))},
        {"slots", callRecord(32, join({noTexts, pointerArgs(32, slot), noResult, {0x60}})),
         callRecord(32, join({noTexts, pointerArgs(33, slot), noResult, {0x60}}))},
        {"slot value", callRecord(1, join({noTexts, {1, 0}, varint(0xFFFFFFFF), {0, 0x60}})),
         callRecord(1, join({noTexts, {1, 0}, varint(0x100000000), {0, 0x60}}))},
        {"a word of ten bytes", callRecord(0, join({noTexts, noSlots, {1}, tenBytes(1), {0x60}})),
         callRecord(0, join({noTexts, noSlots, {1}, tenBytes(2), {0x60}}))},
        {"ped handles", join({handles(65536), {0x60}}), join({handles(65537), {0x60}})},
        {"ped list room", join({{0x40}, varint(0xFFFFFFFF), {0, 0, 0x60}}),
         join({{0x40}, varint(0x100000000), {0, 0, 0x60}})},
        {"ped list count", join({{0x40, 0}, varint(0xFFFFFFFF), {0, 0x60}}),
         join({{0x40, 0}, varint(0x100000000), {0, 0x60}})},
        {"ped handle delta", join({{0x40, 0, 0, 1}, varint(0xFFFFFFFF), {0x60}}),
         join({{0x40, 0, 0, 1}, varint(0x100000000), {0x60}})},
        {"wait", wait(0xFFFFFFFF), wait(0x100000000)},
        {"base slot", {0x73, 0x60}, {0x74, 0x60}},
        {"same run", join({base, {0x01}}), join({base, {0x02}})},
        {"skip", join({twoCalls, {0x12, 0x60}}), join({twoCalls, {0x13, 0x60}})},
        {"call delta arguments", join({base, {0x30, 0x02, 32, 0, 0x00}}),
         join({base, {0x30, 0x02, 33, 0, 0x00}})},
        {"changed argument", join({base, {0x30, 0x02, 2, 0x02, 5, 0x00}}),
         join({base, {0x30, 0x02, 2, 0x04, 5, 0x00}})},
        {"changed result word", join({base, {0x30, 0x10, 0x13, 2, 0x00}}),
         join({base, {0x30, 0x10, 0x23, 2, 0x00}})},
    };
}

Bytes withRecords(std::uint32_t version, const Bytes& records) {
    return join(
        {captureStart(version),
         chunk(capture::DataTag, version == capture::FormatVersion ? stored(records) : records)});
}

TEST(CaptureLimits, EachRecordBoundIsReadAndOneMoreRefused) {
    for (const std::uint32_t version :
         {capture::UncompressedFormatVersion, capture::FormatVersion}) {
        for (const RecordBound& bound : recordBounds()) {
            const auto at = capture_test::read(withRecords(version, bound.atBound));
            EXPECT_FALSE(at.error) << bound.what << ": " << describe(*at.error);
            const auto past = capture_test::read(withRecords(version, bound.past));
            EXPECT_TRUE(past.error) << bound.what << " one past its bound was read";
        }
    }
}

TEST(CaptureLimits, ChunkAndSettingsSizesAreReadToTheirBound) {
    const Bytes start = captureStart();
    const auto opens = [&start](const capture::ChunkTag& tag, const Bytes& payload) {
        capture::CaptureFrameReader reader;
        const Bytes file = join({start, chunk(tag, payload)});
        return !capture::openCapture(reader, file).has_value();
    };
    const std::size_t maxChunk = capture::MaxChunkPayload;
    const std::size_t maxSettings = capture::MaxSettingsBytes;
    // Frames are not read on opening: a data chunk's payload may be anything.
    EXPECT_TRUE(opens(capture::DataTag, times(maxChunk, 0x60)));
    EXPECT_FALSE(opens(capture::DataTag, times(maxChunk + 1, 0x60)));
    EXPECT_TRUE(opens(capture::SettingsTag, join({{1}, times(maxSettings, ';')})));
    EXPECT_FALSE(opens(capture::SettingsTag, join({{1}, times(maxSettings + 1, ';')})));
    // Cut, a file is kept to exactly the bound.
    EXPECT_TRUE(opens(capture::SettingsTag, join({{2}, times(maxSettings, ';')})));
    EXPECT_FALSE(opens(capture::SettingsTag, join({{2}, times(maxSettings - 1, ';')})));
    EXPECT_FALSE(opens(capture::SettingsTag, join({{2}, times(maxSettings + 1, ';')})));
}

// Base records (0x70) add no event: a chunk of them inflates far with one wait.
Bytes recordsOfSize(std::size_t size) {
    return join({times(size - 1, 0x70), {0x60}});
}

// The frames read one by one, as there is no limit then but the chunk's; a
// damaged chunk is told as its ending's name.
std::optional<std::string> readFrameByFrame(const Bytes& file) {
    capture::CaptureFrameReader reader;
    if (auto error = capture::openCapture(reader, file)) {
        return describe(*error);
    }
    const capture::EventFrame* frame = nullptr;
    capture::CaptureReadError error;
    capture::FrameRead read;
    while ((read = capture::readNextEventFrame(reader, frame, error)) ==
           capture::FrameRead::Frame) {
    }
    if (read == capture::FrameRead::Failed) {
        return describe(error);
    }
    if (reader.extent.ending == capture::CaptureEnding::Damaged) {
        return capture::endingName(reader.extent.ending);
    }
    return std::nullopt;
}

TEST(CaptureLimits, AChunkInflatesToItsBound) {
    const Bytes start = captureStart();
    const std::size_t maxChunk = capture::MaxChunkPayload;
    const auto at = readFrameByFrame(
        join({start, chunk(capture::DataTag, compressed(recordsOfSize(maxChunk)))}));
    EXPECT_FALSE(at) << *at;
    const auto past = readFrameByFrame(
        join({start, chunk(capture::DataTag, compressed(recordsOfSize(maxChunk + 1)))}));
    EXPECT_EQ(past, "damaged chunk");
}

// A whole read takes at most 256 bytes inflated, and decoded, for each event
// allowed, counted over the whole capture; and at most the events allowed.
TEST(CaptureLimits, AWholeReadStopsOneByteOrEventPastItsLimits) {
    const Bytes start = captureStart();
    const std::size_t maxEvents = 100;
    const std::size_t limit = maxEvents * capture::DecodedBytesPerEvent;
    // Two chunks of one frame each: half the limit, then half or one byte
    // more.
    const auto inflating = [&](std::size_t second) {
        return capture::readCapture(
            join({start, chunk(capture::DataTag, stored(recordsOfSize(limit / 2))),
                  chunk(capture::DataTag, stored(recordsOfSize(second)))}),
            maxEvents);
    };
    const auto inflatedAt = inflating(limit / 2);
    EXPECT_FALSE(inflatedAt.error) << describe(*inflatedAt.error);
    const auto inflatedPast = inflating(limit / 2 + 1);
    ASSERT_TRUE(inflatedPast.error) << "the limit was counted chunk by chunk";
    EXPECT_NE(inflatedPast.error->message.find("inflates to more than"), std::string::npos);

    const Bytes waits = withRecords(capture::FormatVersion, times(maxEvents, 0x60));
    EXPECT_FALSE(capture::readCapture(waits, maxEvents).error);
    EXPECT_TRUE(capture::readCapture(waits, maxEvents - 1).error);

    // One frame, a call with a text and its wait, decoding to the limit of
    // 20 events exactly, then one byte more.
    const auto textFrame = [](std::size_t textSize) {
        Session s;
        begin(s);
        call(s, {0x77, {0}, {{0, std::string(textSize, 't')}}, {}, {}});
        wait(s);
        flush(s);
        return s;
    };
    const std::size_t decodedWithoutText = capture::decodedSize(textFrame(0).frames[0]);
    const std::size_t textAtLimit = 20 * capture::DecodedBytesPerEvent - decodedWithoutText;
    EXPECT_FALSE(capture::readCapture(textFrame(textAtLimit).file, 20).error);
    const auto decodedPast = capture::readCapture(textFrame(textAtLimit + 1).file, 20);
    ASSERT_TRUE(decodedPast.error);
    EXPECT_NE(decodedPast.error->message.find("decodes to more than"), std::string::npos);
}

TEST(CaptureLimits, TheEncoderKeepsEachBoundAndCutsOneMore) {
    struct Cut {
        const char* what;
        std::size_t given;
        std::size_t kept;
    };
    const std::size_t maxText = capture::MaxTextBytes, maxHandles = capture::MaxPedHandles;
    for (const Cut& cut :
         {Cut{"arguments", 32, 32}, Cut{"arguments", 33, 32}, Cut{"result words", 3, 3},
          Cut{"result words", 4, 3}, Cut{"text bytes", maxText, maxText},
          Cut{"text bytes", maxText + 1, maxText}, Cut{"ped handles", maxHandles, maxHandles},
          Cut{"ped handles", maxHandles + 1, maxHandles}, Cut{"text index", 1, 1},
          Cut{"text index", 2, 0}}) {
        Session s;
        begin(s);
        const std::string what = cut.what;
        const std::vector<std::uint64_t> words(what == "arguments" ? cut.given : 2, 5);
        const std::vector<std::uint64_t> result(what == "result words" ? cut.given : 1, 6);
        const std::string textBytes(what == "text bytes" ? cut.given : 1, 't');
        // The text's index: the last of the two arguments, or their count.
        const auto index = static_cast<std::uint32_t>(what == "text index" ? cut.given : 0);
        const std::vector<capture::TextArg> texts = {{index, textBytes}};
        capture::recordNativeCall(s.encoder, {0x77, words, texts, {}, result});
        const std::vector<std::int32_t> handles(what == "ped handles" ? cut.given : 1, 9);
        capture::recordPedsAnswer(s.encoder, 3, handles, 2);
        capture::recordWait(s.encoder, 0);
        flush(s);
        const auto read = capture_test::read(s.file);
        ASSERT_FALSE(read.error) << describe(*read.error);
        const auto& events = read.capture->frames.at(0).events;
        const auto& call = std::get<capture::CapturedCall>(events.at(0));
        const auto& peds = std::get<capture::CapturedPeds>(events.at(1));
        const std::size_t kept = what == "arguments"      ? call.args.size()
                                 : what == "result words" ? call.result.size()
                                 : what == "text bytes"   ? call.texts.at(0).bytes.size()
                                 : what == "ped handles"  ? peds.handles.size()
                                                          : call.texts.size();
        EXPECT_EQ(kept, cut.kept) << cut.what << ", " << cut.given << " given";
        EXPECT_EQ(peds.returned, 2) << "the count returned is kept as it came";
    }
}

// A data chunk is closed once its records reach 1 MiB, between two events. A
// frame of a wait alone is 0x60; the one after it a Repeat record of no sites
// (81 00), and each later one a Repeat of the same sites (80): after 2^20 - 1
// frames the records are at the bound.
TEST(CaptureLimits, ADataChunkClosesWhenItsRecordsReachTheirTarget) {
    for (const std::size_t frames :
         {capture::DataChunkTargetSize - 1, capture::DataChunkTargetSize}) {
        Session s;
        begin(s);
        for (std::size_t f = 0; f < frames; ++f) {
            capture::recordWait(s.encoder, 0);
        }
        flush(s);
        std::vector<std::size_t> payloads;
        const auto starts = chunkStarts(s.file);
        for (std::size_t k = 1; k + 1 < starts.size(); ++k) {
            Bytes records(2u << 20);
            uLongf size = records.size();
            uncompress(records.data(), &size, s.file.data() + starts[k] + capture::ChunkHeaderSize,
                       uLong(starts[k + 1] - starts[k] - capture::ChunkHeaderSize));
            payloads.push_back(size);
        }
        const std::size_t target = capture::DataChunkTargetSize;
        const std::vector<std::size_t> expected = frames < target
                                                      ? std::vector<std::size_t>{target}
                                                      : std::vector<std::size_t>{target, 1};
        EXPECT_EQ(payloads, expected) << frames << " frames";
    }
}

} // namespace
