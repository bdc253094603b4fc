// Files that are damaged, cut off or hostile: a torn tail keeps exactly the
// whole chunks before it, damage before the last chunk is refused at the
// damaged chunk, and no count in the data is taken on trust.
#include "capture/counting_new.h"
#include "capture/frame_compare.h"
#include "capture/raw_chunks.h"
#include "capture/session.h"
#include "capture/synthetic_frames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace capture_test;
using capture::CaptureEnding;

// The first `count` events of a session, in their frames.
std::vector<capture::CapturedFrame> firstEvents(const Session& s, std::size_t count) {
    std::vector<capture::CapturedFrame> frames;
    for (const auto& frame : s.frames) {
        if (count == 0) {
            break;
        }
        frames.emplace_back();
        for (const auto& event : frame.events) {
            if (count == 0) {
                break;
            }
            frames.back().events.push_back(event);
            --count;
        }
    }
    return frames;
}

std::size_t eventCount(const Session& s) {
    std::size_t count = 0;
    for (const auto& frame : s.frames) {
        count += frame.events.size();
    }
    return count;
}

// A small capture, flushed after each frame and once inside a frame, with the
// number of events recorded at each flush.
struct SmallCapture {
    Session s;
    std::vector<std::size_t> eventsAtFlush;
};

SmallCapture smallCapture() {
    SmallCapture c;
    begin(c.s);
    capture::recordSettingsFile(c.s.encoder, "[Pallbrook]\n");
    auto flushHere = [&c] {
        flush(c.s);
        c.eventsAtFlush.push_back(eventCount(c.s));
    };
    for (std::uint32_t frame = 0; frame < 4; ++frame) {
        idleFrame(c.s, pedHandles(2 + static_cast<int>(frame % 2)), 1000 + 16 * frame);
        flushHere();
    }
    call(c.s, {GameTimer, {}, {}, {}, {2000}});
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
    const std::size_t headerEnd = starts[1];

    for (std::size_t cut = 0; cut <= file.size(); ++cut) {
        const Bytes prefix(file.begin(), file.begin() + static_cast<long>(cut));
        const auto read = capture_test::read(prefix);
        if (cut < headerEnd) {
            EXPECT_TRUE(read.error) << "cut at " << cut << " inside the signature or header";
            continue;
        }
        ASSERT_FALSE(read.error) << "cut at " << cut << ": " << describe(*read.error);
        std::size_t kept = 0;
        std::size_t chunks = 0;
        for (std::size_t start : starts) {
            if (start <= cut) {
                kept = start;
                ++chunks;
            }
        }
        std::size_t events = 0;
        for (std::size_t k = 0; k < c.s.flushEnds.size(); ++k) {
            if (c.s.flushEnds[k] <= kept) {
                events = c.eventsAtFlush[k];
            }
        }
        const capture::CaptureExtent& extent = read.capture->extent;
        EXPECT_EQ(extent.keptBytes, kept) << "cut at " << cut;
        EXPECT_EQ(extent.chunks, chunks - 1) << "cut at " << cut; // starts holds the end too
        EXPECT_EQ(extent.droppedBytes, cut - kept) << "cut at " << cut;
        EXPECT_EQ(extent.ending, cut == kept ? CaptureEnding::Unmarked : CaptureEnding::TornTail)
            << "cut at " << cut;
        EXPECT_TRUE(sameFrames(read.capture->frames, firstEvents(c.s, events))) << "cut at " << cut;
        EXPECT_EQ(read.capture->settings.found, cut >= starts[2]
                                                    ? capture::SettingsFound::File
                                                    : capture::SettingsFound::NotRecorded);
    }
}

TEST(CaptureDamage, AnyByteChangedInAMiddleChunkIsRefusedAtThatChunk) {
    const SmallCapture c = smallCapture();
    const std::vector<std::size_t> starts = chunkStarts(c.s.file);
    ASSERT_GE(starts.size(), 6u);
    const std::size_t start = starts[3];
    const std::size_t end = starts[4];
    for (std::size_t at = start; at < end; ++at) {
        for (std::uint8_t flip : {std::uint8_t{0x01}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
            Bytes damaged = c.s.file;
            damaged[at] ^= flip;
            const auto read = capture_test::read(damaged);
            ASSERT_TRUE(read.error) << "byte " << at << " ^ " << int{flip};
            EXPECT_EQ(read.error->offset, start) << describe(*read.error);
            EXPECT_NE(read.error->message.find(std::to_string(start)), std::string::npos)
                << read.error->message;
        }
    }
}

TEST(CaptureDamage, AChangedLastChunkIsATornTailUnlessItsLengthIsHit) {
    const SmallCapture c = smallCapture();
    const std::vector<std::size_t> starts = chunkStarts(c.s.file);
    const std::size_t start = starts[starts.size() - 2];
    const std::vector<capture::CapturedFrame> before =
        firstEvents(c.s, c.eventsAtFlush[c.eventsAtFlush.size() - 2]);
    for (std::size_t at = start; at < c.s.file.size(); ++at) {
        Bytes damaged = c.s.file;
        damaged[at] ^= 0x10;
        const auto read = capture_test::read(damaged);
        const std::size_t inHeader = at - start;
        if (inHeader >= 4 && inHeader < 8) {
            // A damaged length can no longer be told from damage further up.
            ASSERT_TRUE(read.error) << "byte " << at;
            EXPECT_EQ(read.error->offset, start);
            continue;
        }
        ASSERT_FALSE(read.error) << "byte " << at << ": " << describe(*read.error);
        EXPECT_EQ(read.capture->extent.ending, CaptureEnding::TornTail);
        EXPECT_EQ(read.capture->extent.keptBytes, start);
        EXPECT_EQ(read.capture->extent.droppedBytes, c.s.file.size() - start);
        EXPECT_TRUE(sameFrames(read.capture->frames, before)) << "byte " << at;
    }
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
    const auto ini = capture_test::read(text("[Pallbrook]\nHoldTime=1000\n"));
    ASSERT_TRUE(ini.error);
    EXPECT_EQ(ini.error->offset, 0u);

    for (std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{8}, std::size_t{11}}) {
        const auto read =
            capture_test::read(Bytes(good.begin(), good.begin() + static_cast<long>(size)));
        ASSERT_TRUE(read.error) << size;
        EXPECT_EQ(read.error->offset, size);
    }

    for (std::uint32_t version : {0u, 2u, 0x01000000u}) {
        Bytes other = good;
        capture::storeU32(other.data() + 8, version);
        const auto read = capture_test::read(other);
        ASSERT_TRUE(read.error);
        EXPECT_EQ(read.error->offset, 8u);
        EXPECT_NE(read.error->message.find("version " + std::to_string(version)), std::string::npos)
            << read.error->message;
    }
}

TEST(CaptureDamage, TheHeaderChunkMustComeFirstWholeAndOnce) {
    const Bytes start = captureStart();
    const Bytes signature(start.begin(), start.begin() + capture::SignatureSize);
    const Bytes headerPayload = join({varint(5), text("0.1.0"), varint(1), text("b")});
    const std::vector<Bytes> bad = {
        Bytes(signature) << chunk(capture::DataTag, {}),
        Bytes(signature) << chunk(capture::HeaderTag, join({headerPayload, bytes({0})})),
        Bytes(signature) << chunk(capture::HeaderTag, join({varint(50), text("0.1.0")})),
        // cut short: no torn tail before a whole header
        Bytes(start.begin(), start.end() - 1),
    };
    for (const Bytes& file : bad) {
        const auto read = capture_test::read(file);
        ASSERT_TRUE(read.error);
        EXPECT_EQ(read.error->offset, capture::SignatureSize) << describe(*read.error);
    }
    Bytes twice = captureStart();
    const std::size_t second = twice.size();
    twice << chunk(capture::HeaderTag, headerPayload);
    const auto read = capture_test::read(twice);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->offset, second);
}

TEST(CaptureDamage, ChunksOutOfPlaceAreRefusedEvenAtTheEnd) {
    const Bytes start = captureStart();
    Bytes oversized(start);
    {
        // A header that checks out but claims more than any chunk may hold.
        Bytes header(capture::DataTag.begin(), capture::DataTag.end());
        capture::putU32(header, static_cast<std::uint32_t>(capture::MaxChunkPayload + 1));
        capture::putU32(header, 0);
        capture::putU32(header, capture::crc32({header.data(), 12}));
        oversized << header;
    }
    const std::vector<Bytes> bad = {
        oversized,
        Bytes(start) << chunk({'W', 'H', 'A', 'T'}, {}),
        Bytes(start) << chunk(capture::SettingsTag, bytes({0}))
                     << chunk(capture::SettingsTag, bytes({0})),
        Bytes(start) << chunk(capture::SettingsTag, bytes({7})),
        Bytes(start) << chunk(capture::SettingsTag, bytes({0, 'x'})),
        Bytes(start) << chunk(capture::SettingsTag, join({bytes({2}), text("cut, but short")})),
        Bytes(start) << chunk(capture::EndTag, {}) << chunk(capture::DataTag, {}),
        Bytes(start) << chunk(capture::SizeCapTag, varint(5)) << chunk(capture::EndTag, {}),
        Bytes(start) << chunk(capture::EndTag, bytes({1})),
        Bytes(start) << chunk(capture::SizeCapTag, {}),
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto read = capture_test::read(bad[i]);
        ASSERT_TRUE(read.error) << "case " << i;
        EXPECT_GE(read.error->offset, start.size()) << "case " << i;
        EXPECT_LT(read.error->offset, bad[i].size()) << "case " << i;
    }
    // Bytes after a closing mark are refused even when they are only a torn piece.
    Bytes afterEnd(start);
    afterEnd << chunk(capture::EndTag, {}) << bytes({'D', 'A'});
    EXPECT_TRUE(capture_test::read(afterEnd).error);
}

// Data records the encoder would never write. Each names where the bad record starts.
struct HostileRecords {
    const char* what;
    Bytes payload;
    std::size_t badRecordAt;
};

const std::uint64_t SomeHash = 0x0123456789ABCDEFull;
Bytes callOf(std::initializer_list<Bytes> rest) {
    return join({bytes({0x20}), u64(SomeHash), join(rest)});
}
// One call with one argument, then the frame's wait: a base to refer to.
const Bytes OneCallFrame = join(
    {callOf({bytes({1}), varint(9), varint(0), varint(0), bytes({1}), varint(5)}), bytes({0x60})});
const Bytes PedsFrame =
    join({bytes({0x40}), varint(0), varint(4), varint(2), varint(2), varint(2), bytes({0x60})});

std::vector<HostileRecords> hostileRecords() {
    const std::size_t base = OneCallFrame.size();
    const std::size_t pedsBase = PedsFrame.size();
    return {
        {"same run with no base", bytes({0x00}), 0},
        {"same run of 2^62", join({bytes({0x0F}), varint(std::uint64_t{1} << 62)}), 0},
        {"same run beyond the base", join({OneCallFrame, bytes({0x02})}), base},
        {"same run of 2^64 - 1", join({OneCallFrame, bytes({0x0F}), varint(~std::uint64_t{0})}),
         base},
        {"skip beyond the base", join({OneCallFrame, bytes({0x12})}), base},
        {"call delta with no base", bytes({0x30, 0x10, 0x05, 0x02}), 0},
        {"call delta on a wait", join({OneCallFrame, bytes({0x10, 0x30, 0x00})}), base + 1},
        {"call delta field mask beyond the fields", join({OneCallFrame, bytes({0x30, 0x20})}),
         base},
        {"changed word beyond the count",
         join({OneCallFrame, bytes({0x30, 0x02, 1}), varint(2), varint(1)}), base},
        {"changed result word beyond the count",
         join({OneCallFrame, bytes({0x30, 0x10, 0x04 | 4 << 2})}), base},
        {"peds delta with no base", join({bytes({0x50}), varint(0), varint(0), varint(0)}), 0},
        {"call with 200 arguments", callOf({bytes({200})}), 0},
        {"text longer than the bytes left",
         callOf({bytes({1}), varint(0), varint(1), varint(0), varint(10), text("abc")}), 0},
        {"text of 2^40 bytes",
         callOf({bytes({1}), varint(0), varint(1), varint(0), varint(std::uint64_t{1} << 40),
                 text("abc")}),
         0},
        {"text beyond the arguments",
         callOf({bytes({0}), varint(1), varint(0), varint(1), text("a"), varint(0), bytes({0})}),
         0},
        {"text on a word that is not 0",
         callOf({bytes({1}), varint(5), varint(1), varint(0), varint(1), text("a"), varint(0),
                 bytes({0})}),
         0},
        {"texts out of order",
         callOf({bytes({2}), varint(0), varint(0), varint(2), varint(1), varint(1), text("a"),
                 varint(0), varint(1), text("b"), varint(0), bytes({0})}),
         0},
        {"slot value beyond 32 bits",
         callOf({bytes({1}), varint(0), varint(0), varint(1), varint(0),
                 varint(std::uint64_t{1} << 32), bytes({0})}),
         0},
        {"four result words",
         callOf({bytes({0}), varint(0), varint(0), bytes({4}), varint(1), varint(2), varint(3),
                 varint(4)}),
         0},
        {"call cut short", callOf({bytes({3}), varint(1)}), 0},
        {"a billion ped handles", join({bytes({0x40}), varint(0), varint(0), varint(1000000000)}),
         0},
        {"1000 ped handles, 3 given",
         join({bytes({0x40}), varint(0), varint(0), varint(1000), varint(2), varint(2), varint(2)}),
         0},
        {"ped capacity beyond 32 bits",
         join({bytes({0x40}), varint(std::uint64_t{1} << 33), varint(0), varint(0)}), 0},
        {"ped run beyond the base list",
         join({PedsFrame, bytes({0x50}), varint(0), varint(0), varint(3), varint(2 << 2)}),
         pedsBase},
        {"ped run beyond the new list",
         join({PedsFrame, bytes({0x50}), varint(0), varint(0), varint(1), varint(1 << 2 | 2),
               varint(1), varint(1)}),
         pedsBase},
        {"ped skip beyond the base list",
         join({PedsFrame, bytes({0x50}), varint(0), varint(0), varint(1), varint(5 << 2 | 1)}),
         pedsBase},
        {"ped run of a fourth kind",
         join({PedsFrame, bytes({0x50}), varint(0), varint(0), varint(1), varint(3)}), pedsBase},
        {"unknown record 0x80", bytes({0x80}), 0},
        {"base slot beyond the slots", bytes({0x74}), 0},
        {"base chosen inside a frame",
         join(
             {OneCallFrame, callOf({bytes({0}), varint(0), varint(0), bytes({0})}), bytes({0x71})}),
         base + 13},
        {"unknown record 0xF3", join({OneCallFrame, bytes({0xF3})}), base},
        {"call record with flags", bytes({0x24}), 0},
        {"wait beyond 32 bits", join({bytes({0x6F}), varint((std::uint64_t{1} << 32) - 15)}), 0},
        {"value cut short", bytes({0x6F}), 0},
    };
}

TEST(CaptureDamage, HostileRecordsAreRefusedAtTheRecordWithBoundedMemory) {
    for (const HostileRecords& hostile : hostileRecords()) {
        Bytes file = captureStart();
        const std::size_t chunkStart = file.size();
        file << chunk(capture::DataTag, hostile.payload);
        const std::size_t allocatedBefore = counting_new::bytesAllocated();
        const auto read = capture_test::read(file);
        const std::size_t allocated = counting_new::bytesAllocated() - allocatedBefore;
        ASSERT_TRUE(read.error) << hostile.what;
        EXPECT_EQ(read.error->offset, chunkStart + capture::ChunkHeaderSize + hostile.badRecordAt)
            << hostile.what << ": " << describe(*read.error);
        EXPECT_LT(allocated, std::size_t{64} << 10) << hostile.what;
    }
}

TEST(CaptureDamage, TheBasesForHostileRecordsAreThemselvesGood) {
    for (const Bytes& payload : {OneCallFrame, PedsFrame}) {
        Bytes file = captureStart();
        file << chunk(capture::DataTag, payload);
        const auto read = capture_test::read(file);
        ASSERT_FALSE(read.error) << describe(*read.error);
        EXPECT_EQ(read.capture->frames.size(), 1u);
    }
}

TEST(CaptureDamage, AWholeReadStopsAtItsEventLimit) {
    Session s;
    begin(s);
    for (std::uint32_t frame = 0; frame < 100; ++frame) {
        idleFrame(s, pedHandles(10), 16 * frame);
    }
    flush(s);
    // Each frame is a few bytes but 65 events.
    const auto limited = capture::readCapture(s.file, 1000);
    ASSERT_TRUE(limited.error);
    EXPECT_NE(limited.error->message.find("frame by frame"), std::string::npos);
    EXPECT_FALSE(capture::readCapture(s.file, 6500).error);
}

} // namespace
