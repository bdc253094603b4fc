// Sessions through the encoder and back through the reader: every event,
// header, settings file and closing mark comes back as recorded, whatever the
// frames look like and wherever the chunks are cut.
#include "capture/session.h"
#include "capture/synthetic_frames.h"

#include "capture/format/capture_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

using namespace capture_test;
using capture::CaptureEnding;
using capture::SettingsFound;

// A world that keeps changing: peds come and go in the middle of the list,
// change state (and so the number of calls made for them) and move; texts,
// slots and Vector3 results; a dictionary wait inside some frames.
struct VariedWorld {
    std::mt19937 random{20240601};
    std::vector<std::int32_t> handles = pedHandles(12);
    std::vector<int> states = std::vector<int>(12, 0);
    std::uint32_t timer = 100000;
    float playerX = 1.0f;

    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; }
    long pick(std::size_t count) {
        return std::uniform_int_distribution<long>(0, static_cast<long>(count) - 1)(random);
    }
};

void variedFrame(Session& s, VariedWorld& w) {
    if (w.chance(10) && !w.handles.empty()) {
        const long at = w.pick(w.handles.size());
        w.handles.erase(w.handles.begin() + at);
        w.states.erase(w.states.begin() + at);
    }
    if (w.chance(10)) {
        const long at = w.pick(w.handles.size() + 1);
        w.handles.insert(w.handles.begin() + at, static_cast<std::int32_t>(w.random()));
        w.states.insert(w.states.begin() + at, 0);
    }
    if (w.chance(20) && !w.handles.empty()) {
        w.states[static_cast<std::size_t>(w.pick(w.states.size()))] = static_cast<int>(w.pick(3));
    }
    w.playerX += w.chance(30) ? 0.05f : 0.0f;

    call(s, {GameTimer, {}, {}, {}, {w.timer += 16}});
    call(s, {EntityCoords, {42, 1, 0}, {}, {}, vector3(w.playerX, 2.0f, 40.0f)});
    // Now and then a count returned that differs from the handles written.
    peds(s, w.handles, static_cast<std::int32_t>(w.handles.size()) + (w.chance(5) ? 3 : 0));
    for (std::size_t p = 0; p < w.handles.size(); ++p) {
        const auto h = static_cast<std::uint64_t>(static_cast<std::uint32_t>(w.handles[p]));
        call(s, {EntityExists, {h}, {}, {}, {1}});
        if (w.states[p] > 0) {
            call(s, {IsPedDead, {h, 0}, {}, {}, {w.states[p] == 2 ? 1u : 0u}});
            call(s, {EntityCoords, {h, 1, 0}, {}, {}, vector3(w.playerX + 1.0f, 0.5f, -3.0f)});
        }
        if (w.states[p] == 2) {
            call(s, {PromptText,
                     {0xDEADBEEF, 0x7FFE0000, h},
                     {{0, w.chance(50) ? "Drag" : "Drop"}},
                     {{1, w.timer * 3}},
                     {}});
        }
    }
    if (w.chance(15)) {
        call(s, {RequestDict, {0x1000}, {{0, "script@mech@drag"}}, {}, {0}});
        wait(s, 0);
        call(s, {RequestDict, {0x1000}, {{0, "script@mech@drag"}}, {}, {1}});
    }
    wait(s, w.chance(5) ? 16 : 0);
}

TEST(CaptureRoundTrip, VariedSessionComesBackFrameForFrameWhereverChunksAreCut) {
    Session s;
    begin(s, "Pallbrook 0.1.0 capture, mingw-w64 g++ 12");
    capture::recordSettingsFile(s.encoder, "[Pallbrook]\nHoldTime=1000\n");
    VariedWorld world;
    for (int frame = 0; frame < 400; ++frame) {
        variedFrame(s, world);
        if (world.chance(20)) {
            flush(s);
        }
    }
    call(s, {GameTimer, {}, {}, {}, {world.timer + 16}}); // a last frame without its wait
    flush(s);

    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    const capture::Capture& c = *read.capture;
    EXPECT_EQ(c.header.formatVersion, capture::FormatVersion);
    EXPECT_EQ(c.header.pluginVersion, "0.1.0");
    EXPECT_EQ(c.header.buildIdentity, "Pallbrook 0.1.0 capture, mingw-w64 g++ 12");
    EXPECT_EQ(c.settings.found, SettingsFound::File);
    EXPECT_EQ(c.settings.bytes, "[Pallbrook]\nHoldTime=1000\n");
    EXPECT_EQ(c.extent.ending, CaptureEnding::Unmarked);
    EXPECT_EQ(c.extent.keptBytes, s.file.size());
    EXPECT_TRUE(sameFrames(c.frames, s.frames));

    // Again with a chunk after every event, read frame by frame.
    capture::CaptureEncoder encoder;
    std::vector<std::uint8_t> fine;
    capture::beginCapture(encoder, "0.1.0", "");
    std::size_t chunks = 1;
    for (const auto& frame : s.frames) {
        for (const auto& event : frame.events) {
            recordFrame(encoder, {{event}});
            const auto bytes = capture::flushCapture(encoder);
            fine.insert(fine.end(), bytes.begin(), bytes.end());
            ++chunks;
        }
    }
    capture::CaptureFrameReader reader;
    ASSERT_FALSE(capture::openCapture(reader, fine));
    EXPECT_EQ(reader.extent.chunks, chunks);
    std::vector<capture::CapturedFrame> frames(1);
    capture::CaptureReadError error;
    while (capture::readNextFrame(reader, frames.back(), error) == capture::FrameRead::Frame) {
        frames.emplace_back();
    }
    frames.pop_back();
    EXPECT_TRUE(sameFrames(frames, s.frames));
}

TEST(CaptureRoundTrip, ClosingMarksAreReportedAndNothingIsRecordedAfterThem) {
    for (const CaptureEnding ending : {CaptureEnding::Closed, CaptureEnding::SizeCapReached}) {
        Session s;
        begin(s);
        idleFrame(s, pedHandles(3), 500);
        call(s, {GameTimer, {}, {}, {}, {516}});
        append(s, ending == CaptureEnding::Closed ? capture::endCapture(s.encoder)
                                                  : capture::stopAtSizeCap(s.encoder, 1u << 30));
        capture::recordWait(s.encoder, 0);
        append(s, capture::endCapture(s.encoder));
        const auto read = capture_test::read(s.file);
        ASSERT_FALSE(read.error) << describe(*read.error);
        EXPECT_EQ(read.capture->extent.ending, ending);
        EXPECT_EQ(read.capture->extent.sizeCap, ending == CaptureEnding::Closed ? 0u : 1u << 30);
        EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
    }
}

TEST(CaptureRoundTrip, SettingsFileAbsentPresentCutOrNotRecorded) {
    const std::string withNulAndCr("[Pallbrook]\r\nDragText=a\0b\r\n", 28);
    const std::string huge(capture::MaxSettingsBytes + 5, 'x');
    const std::string none = "(none)";
    struct Case {
        const std::string& bytes;
        SettingsFound found;
        std::size_t kept;
    };
    for (const Case& c :
         {Case{none, SettingsFound::NotRecorded, 0}, Case{none, SettingsFound::NoFile, 0},
          Case{"", SettingsFound::File, 0}, Case{withNulAndCr, SettingsFound::File, 28},
          Case{huge, SettingsFound::FileCut, capture::MaxSettingsBytes}}) {
        Session s;
        begin(s);
        if (c.found == SettingsFound::NoFile) {
            capture::recordNoSettingsFile(s.encoder);
        } else if (c.found != SettingsFound::NotRecorded) {
            capture::recordSettingsFile(s.encoder, c.bytes);
        }
        flush(s);
        const auto read = capture_test::read(s.file);
        ASSERT_FALSE(read.error) << describe(*read.error);
        EXPECT_EQ(read.capture->settings.found, c.found);
        EXPECT_EQ(read.capture->settings.bytes, c.bytes.substr(0, c.kept));
    }
}

TEST(CaptureRoundTrip, EncoderKeepsWithinTheFormatsLimits) {
    Session s;
    begin(s);
    std::vector<std::uint64_t> args(40);
    for (std::size_t i = 0; i < args.size(); ++i) {
        args[i] = 0x1111111111111111ull * (i % 15 + 1);
    }
    const std::string longText(capture::MaxTextBytes + 100, 'q');
    const std::vector<capture::TextArg> texts = {
        {3, longText}, {1, "out of order"}, {5, "kept"}, {5, "same index"}, {39, "beyond 32"}};
    const std::vector<capture::SlotEntry> slots = {{7, 70}, {6, 60}, {8, 80}};
    const std::vector<std::uint64_t> result = {1, 2, 3, 4};
    capture::recordNativeCall(s.encoder, {0x1234, args, texts, slots, result});
    std::vector<std::int32_t> handles(capture::MaxPedHandles + 10, -3);
    capture::recordPedsAnswer(s.encoder, 2000000, handles, -1);
    capture::recordWait(s.encoder, std::numeric_limits<std::uint32_t>::max());
    flush(s);

    capture::CapturedCall call{0x1234, {args.begin(), args.begin() + 32}, {}, {}, {1, 2, 3}};
    call.texts = {{3, longText.substr(0, capture::MaxTextBytes)}, {5, "kept"}};
    call.slots = {{7, 70}, {8, 80}};
    call.args[3] = call.args[5] = call.args[7] = call.args[8] = 0;
    handles.resize(capture::MaxPedHandles);
    const std::vector<capture::CapturedFrame> expected = {
        {{call, capture::CapturedPeds{2000000, handles, -1},
          capture::CapturedWait{std::numeric_limits<std::uint32_t>::max()}}}};
    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_TRUE(sameFrames(read.capture->frames, expected));
}

TEST(CaptureRoundTrip, ExtremeWordsFramesOfOnlyAWaitAndEmptiedPedLists) {
    Session s;
    begin(s);
    const std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
    const std::int32_t low = std::numeric_limits<std::int32_t>::min();
    const std::int32_t high = std::numeric_limits<std::int32_t>::max();
    wait(s);
    for (std::uint64_t step = 0; step < 6; ++step) {
        call(s, {0, {top - step, step, top / 2 + step}, {}, {}, {top * (step % 2)}});
        call(s, {0x77, {}, {}, {}, step % 2 == 0 ? vector3(-1.0f, 0.0f, 3.5f) : Call{}.result});
        peds(s, step % 2 == 0 ? std::vector<std::int32_t>{} : std::vector{low, -1, 0, high},
             static_cast<std::int32_t>(step) - 3);
        wait(s, static_cast<std::uint32_t>(step * 1000));
        wait(s);
    }
    flush(s);
    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
}

TEST(CaptureRoundTrip, AFrameLargerThanAChunkIsSplitBetweenEvents) {
    Session s;
    begin(s);
    const std::string text(60000, 't');
    for (std::uint64_t i = 0; i < 40; ++i) {
        call(s, {PromptText, {0, i}, {{0, text + std::to_string(i)}}, {}, {}});
    }
    wait(s);
    flush(s);
    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_EQ(read.capture->extent.chunks, 4u); // the header and three data chunks
    EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
}

// Frames that repeat but for whole words changing every frame, with no flush
// between them: their records outgrow the output's first room many times over.
TEST(CaptureRoundTrip, ALongRunOfRepeatedFramesComesBackWithoutAFlush) {
    Session s;
    begin(s);
    std::mt19937_64 random(7);
    for (std::uint32_t frame = 0; frame < 400; ++frame) {
        call(s, {GameTimer, {}, {}, {}, {100000 + 16 * frame}});
        std::vector<std::uint64_t> words(16);
        for (std::uint64_t& word : words) {
            word = random();
        }
        call(s, {0x77, words, {}, {}, {random()}});
        wait(s);
    }
    flush(s);
    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
}

} // namespace
