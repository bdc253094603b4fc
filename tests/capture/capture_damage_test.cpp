// Files that are damaged, cut off or hostile: a torn tail keeps exactly the
// whole chunks before it, a damaged chunk before the last keeps the chunks
// before it and counts the whole ones after it, and no count in the data is
// taken on trust.
#include "capture/raw_chunks.h"
#include "capture/session.h"
#include "capture/synthetic_frames.h"
#include "support/counting_allocator.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace capture_test;
using capture::CaptureEnding;

// A small capture, flushed after each frame and once inside a frame, with
// the frames its file holds after each flush.
struct SmallCapture {
    Session s;
    std::vector<std::vector<capture::CapturedFrame>> framesAtFlush;
};

SmallCapture smallCapture() {
    SmallCapture c;
    begin(c.s);
    capture::recordSettingsFile(c.s.encoder, "[Pallbrook]\n");
    auto flushHere = [&c] {
        flush(c.s);
        c.framesAtFlush.push_back(c.s.frames);
    };
    for (std::uint32_t frame = 0; frame < 4; ++frame) {
        idleFrame(c.s, pedHandles(2 + static_cast<int>(frame % 2)), 1000 + 16 * frame);
        flushHere();
    }
    call(c.s, {RequestDict, {0}, {{0, "dict"}}, {}, {0}});
    flushHere();
    idleFrame(c.s, pedHandles(2), 2016);
    flushHere();
    return c;
}

TEST(CaptureTornTail, EveryCutKeepsExactlyTheWholeChunksBeforeIt) {
    const SmallCapture c = smallCapture();
    const Bytes& file = c.s.file;
    const std::vector<std::size_t> starts = chunkStarts(file);
    ASSERT_EQ(starts.back(), file.size());
    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        const auto read = capture_test::read(Bytes(file.begin(), file.begin() + long(cut)));
        if (cut < starts[1]) { // the signature and header must be whole
            EXPECT_TRUE(read.error) << "cut at " << cut;
            continue;
        }
        ASSERT_FALSE(read.error) << "cut at " << cut << ": " << describe(*read.error);
        std::size_t kept = 0;
        std::size_t chunks = 0;
        for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
            if (starts[k + 1] <= cut) {
                kept = starts[k + 1];
                ++chunks;
            }
        }
        // Data chunks end at flushes: the frames are those of the last flush kept.
        std::vector<capture::CapturedFrame> frames;
        for (std::size_t k = 0; k < c.s.flushEnds.size() && c.s.flushEnds[k] <= kept; ++k) {
            frames = c.framesAtFlush[k];
        }
        const capture::CaptureExtent& extent = read.capture->extent;
        EXPECT_EQ(extent.keptBytes, kept) << "cut at " << cut;
        EXPECT_EQ(extent.chunks, chunks) << "cut at " << cut;
        EXPECT_EQ(extent.droppedBytes, cut - kept) << "cut at " << cut;
        EXPECT_EQ(extent.ending, cut == kept ? CaptureEnding::Unmarked : CaptureEnding::TornTail);
        EXPECT_TRUE(sameFrames(read.capture->frames, frames)) << "cut at " << cut;
    }
}

// Chunk 3 is the second data chunk, with the second frame; the first flush
// ends where it starts.
TEST(CaptureDamage, AnyByteChangedInAMiddleChunkCostsTheFramesFromThatChunkOn) {
    const SmallCapture c = smallCapture();
    const std::vector<std::size_t> starts = chunkStarts(c.s.file);
    ASSERT_EQ(c.s.flushEnds[0], starts[3]);
    for (std::size_t at = starts[3]; at < starts[4]; ++at) {
        for (const std::uint8_t flip : std::initializer_list<std::uint8_t>{0x01, 0x80, 0xFF}) {
            Bytes damaged = c.s.file;
            damaged[at] ^= flip;
            const auto read = capture_test::read(damaged);
            ASSERT_FALSE(read.error) << "byte " << at << ": " << describe(*read.error);
            const capture::CaptureExtent& extent = read.capture->extent;
            EXPECT_EQ(extent.ending, CaptureEnding::Damaged) << "byte " << at;
            EXPECT_EQ(extent.keptBytes, starts[3]) << "byte " << at;
            EXPECT_EQ(extent.chunks, 3u) << "byte " << at;
            EXPECT_EQ(extent.chunksAfterDamage, starts.size() - 5) << "byte " << at;
            EXPECT_TRUE(sameFrames(read.capture->frames, c.framesAtFlush[0])) << "byte " << at;
        }
    }
}

TEST(CaptureDamage, AChangedLastChunkIsATornTailUnlessItsLengthIsHit) {
    const SmallCapture c = smallCapture();
    const std::size_t start = chunkStarts(c.s.file).rbegin()[1];
    for (std::size_t at = start; at < c.s.file.size(); ++at) {
        Bytes damaged = c.s.file;
        damaged[at] ^= 0x10;
        const auto read = capture_test::read(damaged);
        ASSERT_FALSE(read.error) << "byte " << at << ": " << describe(*read.error);
        // A damaged length can no longer be told from damage further up.
        EXPECT_EQ(read.capture->extent.ending, at - start >= 4 && at - start < 8
                                                   ? CaptureEnding::Damaged
                                                   : CaptureEnding::TornTail);
        EXPECT_EQ(read.capture->extent.keptBytes, start);
        EXPECT_TRUE(sameFrames(read.capture->frames, c.framesAtFlush.rbegin()[1]));
    }
}

// A data chunk of no records, which the encoder never writes, holds nothing
// to read: it is passed over between chunks and at the end.
TEST(CaptureDamage, ADataChunkOfNoRecordsIsPassedOver) {
    const SmallCapture c = smallCapture();
    const Bytes& file = c.s.file;
    const auto split = static_cast<long>(chunkStarts(file)[4]);
    const Bytes storedNothing = chunk(capture::DataTag, stored({}));
    const auto whole =
        capture_test::read(join({Bytes(file.begin(), file.begin() + split), storedNothing,
                                 Bytes(file.begin() + split, file.end()), storedNothing}));
    ASSERT_FALSE(whole.error) << describe(*whole.error);
    EXPECT_TRUE(sameFrames(whole.capture->frames, c.framesAtFlush.back()));
    const Bytes noBytes = chunk(capture::DataTag, {});
    const auto read = capture_test::read(
        join({captureStart(1), noBytes, chunk(capture::DataTag, {0x60}), noBytes}));
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_EQ(read.capture->frames.size(), 1u);
}

TEST(CaptureDamage, NotACaptureOrAnotherVersionIsRefused) {
    const Bytes good = captureStart();
    for (std::size_t at = 0; at < capture::FileMagic.size(); ++at) {
        Bytes damaged = good;
        damaged[at] ^= 0x20;
        const auto read = capture_test::read(damaged);
        ASSERT_TRUE(read.error);
        EXPECT_EQ(read.error->offset, at);
        EXPECT_NE(read.error->message.find("magic"), std::string::npos);
    }
    for (const std::size_t size : std::initializer_list<std::size_t>{0, 5, 8, 11}) {
        const auto read = capture_test::read(Bytes(good.begin(), good.begin() + long(size)));
        ASSERT_TRUE(read.error) << size;
        EXPECT_EQ(read.error->offset, size);
    }
    for (const std::uint32_t version : {0u, 2u, 4u, 0x01000000u}) {
        Bytes other = good;
        capture::storeU32(other.data() + 8, version);
        const auto read = capture_test::read(other);
        ASSERT_TRUE(read.error);
        EXPECT_EQ(read.error->offset, 8u);
        EXPECT_EQ(read.error->message,
                  "capture format version " + std::to_string(version) +
                      " is not one this reader knows: it reads versions 1 and 3");
    }
}

TEST(CaptureDamage, ChunksOutOfPlaceAreRefusedEvenAtTheEnd) {
    const Bytes start = captureStart();
    const Bytes signature(start.begin(), start.begin() + capture::SignatureSize);
    Bytes oversized(capture::DataTag.begin(), capture::DataTag.end());
    capture::putU32(oversized, std::uint32_t{capture::MaxChunkPayload + 1});
    capture::putU32(oversized, 0);
    capture::putU32(oversized, std::uint32_t(crc32(0, oversized.data(), 12)));
    const Bytes head = chunk(capture::HeaderTag, join({varint(1), text("v"), varint(0)}));
    const Bytes end = chunk(capture::EndTag, {});
    const Bytes noSettings = chunk(capture::SettingsTag, {0});
    const std::vector<Bytes> bad = {
        join({signature, chunk(capture::DataTag, {})}),
        join({signature, chunk(capture::HeaderTag, join({varint(50), text("0.1.0")}))}),
        Bytes(start.begin(), start.end() - 1),
        join({start, head}),
        join({start, oversized}),
        join({start, chunk({'W', 'H', 'A', 'T'}, {})}),
        join({start, noSettings, noSettings}),
        join({start, chunk(capture::SettingsTag, {7})}),
        join({start, chunk(capture::SettingsTag, {0, 'x'})}),
        join({start, chunk(capture::SettingsTag, join({{2}, text("cut, but short")}))}),
        join({start, end, chunk(capture::DataTag, {})}),
        join({start, end, text("DA")}),
        join({start, chunk(capture::SizeCapTag, varint(5)), end}),
        join({start, chunk(capture::EndTag, {1})}),
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto read = capture_test::read(bad[i]);
        ASSERT_TRUE(read.error) << "case " << i;
        EXPECT_GE(read.error->offset, capture::SignatureSize) << "case " << i;
    }
}

// Data records the encoder never writes, with where the bad record starts
// (Good for the bases they refer to).
constexpr std::size_t Good = ~std::size_t{0};

struct Hostile {
    const char* what;
    Bytes payload;
    std::size_t badRecordAt;
};

Bytes callOf(const Bytes& rest) {
    return join({{0x20}, u64(0x0123456789ABCDEF), rest});
}

std::vector<Hostile> hostileRecords() {
    // Bases to refer to: a call of one argument, and a list of two peds.
    const Bytes call = join({callOf({1, 9, 0, 0, 1, 5}), {0x60}});
    const Bytes peds = join({{0x40, 0, 4, 2, 2, 2}, {0x60}});
    const std::size_t c = call.size();
    const std::size_t p = peds.size();
    const Bytes noMore = {0, 0}; // after the texts: no slots, no result words
    return {
        {"a good call", join({call, {0x00, 0x21, 0x8B, 0, 0, 0, 0}}), Good},
        {"a good ped list", join({peds, {0x00}}), Good},
        {"same run with no base", {0x00}, 0},
        {"same run of 2^62", join({{0x0F}, varint(1ull << 62)}), 0},
        {"same run beyond the base", join({call, {0x02}}), c},
        {"same run of 2^64 - 1", join({call, {0x0F}, varint(~0ull)}), c},
        {"an eleven-byte varint", join({{0x0F}, Bytes(10, 0x80), {0}}), 0},
        {"skip beyond the base", join({call, {0x12}}), c},
        {"call delta with no base", {0x30, 0x10, 0x05, 0x02}, 0},
        {"call delta on a wait", join({call, {0x10, 0x30, 0x00}}), c + 1},
        {"changed word beyond the count", join({call, {0x30, 0x02, 1, 2, 1}}), c},
        {"base chosen inside a frame", join({call, callOf({0, 0}), noMore, {0x71}}), c + 13},
        {"base slot beyond the slots", {0x74}, 0},
        {"call with 200 arguments", callOf({200}), 0},
        {"text longer than the bytes left", callOf(join({{1, 0, 1, 0, 10}, text("abc")})), 0},
        {"text of 2^40 bytes", callOf(join({{1, 0, 1, 0}, varint(1ull << 40)})), 0},
        {"text beyond the arguments", callOf(join({{0, 1, 0, 1, 'a'}, noMore})), 0},
        {"text on a word that is not 0", callOf(join({{1, 5, 1, 0, 1, 'a'}, noMore})), 0},
        {"texts out of order", callOf(join({{2, 0, 0, 2, 1, 1, 'a', 0, 1, 'b'}, noMore})), 0},
        {"slot value beyond 32 bits", callOf(join({{1, 0, 0, 1, 0}, varint(1ull << 32)})), 0},
        {"four result words", callOf({0, 0, 0, 4, 1, 2, 3, 4}), 0},
        {"a billion ped handles", join({{0x40, 0, 0}, varint(1000000000)}), 0},
        {"1000 ped handles, 3 given", join({{0x40, 0, 0}, varint(1000), {2, 2, 2}}), 0},
        {"ped capacity beyond 32 bits", join({{0x40}, varint(1ull << 33), {0, 0}}), 0},
        {"ped run beyond the base list", join({peds, {0x50, 0, 0, 3, 2 << 2}}), p},
        {"ped run beyond the new list", join({peds, {0x50, 0, 0, 1, 1 << 2 | 2, 1, 1}}), p},
        {"ped skip beyond the base list", join({peds, {0x50, 0, 0, 1, 5 << 2 | 1}}), p},
        {"ped run of a fourth kind", join({peds, {0x50, 0, 0, 1, 3}}), p},
        {"unknown record", join({call, {0xF3}}), c},
        {"repeat record before any sites", join({call, {0x80}}), c},
        {"repeat site beyond the base", join({call, {0x81, 1, 2, 0, 1, 2}}), c},
        {"repeat site on a word beyond the call's", join({call, {0x81, 1, 0, 2, 0, 2}}), c},
        {"repeat record inside a frame", join({call, callOf({0, 0}), noMore, {0x81, 0}}), c + 13},
        {"wait beyond 32 bits", join({{0x6F}, varint((1ull << 32) - 15)}), 0},
    };
}

// Refused at the chunk's offset, naming the record's place among the
// chunk's records, stored plain (version 1) or compressed.
TEST(CaptureDamage, HostileRecordsAreRefusedAtTheRecordWithBoundedMemory) {
    for (const Hostile& hostile : hostileRecords()) {
        for (const std::uint32_t version : {1u, capture::FormatVersion}) {
            const Bytes start = captureStart(version);
            const Bytes payload = version == 1 ? hostile.payload : compressed(hostile.payload);
            const std::size_t before = alloc_count::bytesAllocated();
            const auto read = capture_test::read(join({start, chunk(capture::DataTag, payload)}));
            EXPECT_LT(alloc_count::bytesAllocated() - before, 64u << 10) << hostile.what;
            if (hostile.badRecordAt == Good) {
                EXPECT_FALSE(read.error) << hostile.what << ": " << describe(*read.error);
                continue;
            }
            ASSERT_TRUE(read.error) << hostile.what;
            EXPECT_EQ(read.error->offset, start.size()) << hostile.what;
            EXPECT_NE(read.error->message.find("record at byte " +
                                               std::to_string(hostile.badRecordAt) +
                                               " of the chunk's"),
                      std::string::npos)
                << hostile.what << ": " << describe(*read.error);
        }
    }
}

// A chunk that inflates to more than a chunk may hold, or whose stream is
// broken, is damage, before the last chunk or as the last; one that inflates
// to more than a whole read may decode to is refused.
TEST(CaptureDamage, CompressedChunksThatInflateTooFarOrBreakAreDamage) {
    const Bytes start = captureStart();
    const Bytes wait = chunk(capture::DataTag, compressed({0x60}));
    // Waits of 0 ms compress about a thousand to one.
    const Bytes tooMany =
        chunk(capture::DataTag, compressed(Bytes(capture::MaxChunkPayload + 1, 0x60)));
    ASSERT_LT(tooMany.size(), 128u << 10);
    Bytes broken = compressed(Bytes(100, 0x60));
    broken[2] ^= 0x06; // the first block's type
    const Bytes brokenChunk = chunk(capture::DataTag, broken);
    for (const Bytes& damaged : {tooMany, brokenChunk}) {
        for (const Bytes& after : {Bytes{}, wait}) {
            const auto read = capture_test::read(join({start, wait, damaged, after}));
            ASSERT_FALSE(read.error) << describe(*read.error);
            EXPECT_EQ(read.capture->extent.ending, CaptureEnding::Damaged);
            EXPECT_EQ(read.capture->extent.keptBytes, start.size() + wait.size());
            EXPECT_EQ(read.capture->extent.chunksAfterDamage, after.empty() ? 0u : 1u);
            EXPECT_EQ(read.capture->frames.size(), 1u);
        }
    }

    const Bytes manyWaits = chunk(capture::DataTag, compressed(Bytes(100000, 0x60)));
    const auto overRead = capture::readCapture(join({start, manyWaits}), 100);
    ASSERT_TRUE(overRead.error);
    EXPECT_EQ(overRead.error->offset, start.size());
    EXPECT_NE(overRead.error->message.find("inflates to more than"), std::string::npos);
    EXPECT_FALSE(capture::readCapture(join({start, manyWaits}), 100000).error);
}

TEST(CaptureDamage, AWholeReadStopsAtItsEventLimit) {
    Session s;
    begin(s);
    for (std::uint32_t frame = 0; frame < 100; ++frame) {
        idleFrame(s, pedHandles(10), 16 * frame);
    }
    flush(s);
    // 65 events a frame, in a few bytes.
    const auto limited = capture::readCapture(s.file, 1000);
    ASSERT_TRUE(limited.error);
    EXPECT_NE(limited.error->message.find("frame by frame"), std::string::npos);
    EXPECT_FALSE(capture::readCapture(s.file, 6500).error);
}

TEST(CaptureDamage, AWholeReadStopsWhereAFewBytesWouldDecodeToMuch) {
    // A frame with a long text, then frames that repeat it in a few bytes each.
    Session s;
    begin(s);
    const std::string longText(60000, 't');
    for (std::uint32_t frame = 0; frame < 100; ++frame) {
        call(s, {RequestDict, {0}, {{0, longText}}, {}, {0}});
        wait(s);
    }
    flush(s);
    ASSERT_LT(s.file.size(), 64u << 10);
    const auto limited = capture::readCapture(s.file, 1000);
    ASSERT_TRUE(limited.error) << "200 events, six megabytes decoded";
    EXPECT_NE(limited.error->message.find("decodes to more than"), std::string::npos);
    const auto whole = capture::readCapture(s.file, 100000);
    ASSERT_FALSE(whole.error);
    EXPECT_EQ(whole.capture->frames.size(), 100u);
}

} // namespace
