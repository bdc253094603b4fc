// Sessions through the encoder and back through the reader: every event,
// header, settings file and closing mark comes back as recorded, whatever the
// frames look like and wherever the chunks are cut.
#include "capture/frame_compare.h"
#include "capture/session.h"
#include "capture/synthetic_frames.h"

#include "capture/capture_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

namespace {

using namespace capture_test;
using capture::CaptureEnding;
using capture::SettingsFound;

// A world that keeps changing: peds come and go in the middle of the list,
// change state (and so the number of calls made for them), move; texts,
// slots and Vector3 results; a dictionary wait inside some frames.
struct VariedWorld {
    std::mt19937 random{20240601};
    std::vector<std::int32_t> handles = pedHandles(12);
    std::vector<int> states = std::vector<int>(12, 0);
    std::uint32_t timer = 100000;
    float playerX = 1.0f;

    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; }
    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    }
};

void variedFrame(Session& s, VariedWorld& w) {
    w.timer += 16;
    if (w.chance(10) && !w.handles.empty()) {
        const std::size_t at = w.pick(w.handles.size());
        w.handles.erase(w.handles.begin() + static_cast<long>(at));
        w.states.erase(w.states.begin() + static_cast<long>(at));
    }
    if (w.chance(10)) {
        const std::size_t at = w.pick(w.handles.size() + 1);
        w.handles.insert(w.handles.begin() + static_cast<long>(at),
                         static_cast<std::int32_t>(w.random() % 100000) - 50000);
        w.states.insert(w.states.begin() + static_cast<long>(at), 0);
    }
    if (w.chance(20) && !w.handles.empty()) {
        w.states[w.pick(w.states.size())] = static_cast<int>(w.pick(3));
    }
    if (w.chance(30)) {
        w.playerX += 0.05f;
    }

    call(s, {GameTimer, {}, {}, {}, {w.timer}});
    call(s, {EntityCoords, {42, 1, 0}, {}, {}, vector3(w.playerX, 2.0f, 40.0f)});
    // A count returned that differs from the handles written, now and then.
    const auto returned = static_cast<std::int32_t>(w.handles.size()) + (w.chance(5) ? 3 : 0);
    peds(s, 1024, w.handles, returned);
    for (std::size_t p = 0; p < w.handles.size(); ++p) {
        const auto h = static_cast<std::uint64_t>(static_cast<std::uint32_t>(w.handles[p]));
        call(s, {EntityExists, {h}, {}, {}, {1}});
        if (w.states[p] == 0) {
            continue;
        }
        call(s, {IsPedDead, {h, 0}, {}, {}, {w.states[p] == 2 ? 1u : 0u}});
        call(s, {EntityCoords, {h, 1, 0}, {}, {}, vector3(w.playerX + 1.0f, 0.5f, -3.0f)});
        if (w.states[p] == 2) {
            // An out-parameter slot and a text.
            call(s, {PromptText,
                     {0xDEADBEEF, 0x7FFE0000, h},
                     {{0, w.chance(50) ? "Drag" : "Drop"}},
                     {{1, static_cast<std::uint32_t>(w.timer * 3)}},
                     {}});
        }
    }
    if (w.chance(15)) {
        // Loading a dictionary: a wait inside the frame, then the frame goes on.
        call(s, {RequestDict, {0x1000}, {{0, "script@mech@drag"}}, {}, {0}});
        wait(s, 0);
        call(s, {RequestDict, {0x1000}, {{0, "script@mech@drag"}}, {}, {1}});
    }
    wait(s, w.chance(5) ? 16 : 0);
}

TEST(CaptureRoundTrip, VariedSessionComesBackFrameForFrame) {
    Session s;
    begin(s, "0.1.0", "Pallbrook 0.1.0 capture, mingw-w64 g++ 12");
    capture::recordSettingsFile(s.encoder, "[Pallbrook]\nHoldTime=1000\n");
    VariedWorld world;
    for (int frame = 0; frame < 400; ++frame) {
        variedFrame(s, world);
        if (world.chance(20)) {
            flush(s);
        }
    }
    // Ending inside a frame: its calls are kept without a wait.
    call(s, {GameTimer, {}, {}, {}, {world.timer + 16}});
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
    EXPECT_GT(c.frames.size(), 400u); // the dictionary waits make frames of their own
}

TEST(CaptureRoundTrip, AChunkAfterEveryEventChangesNothing) {
    Session whole;
    begin(whole);
    VariedWorld world;
    for (int frame = 0; frame < 30; ++frame) {
        variedFrame(whole, world);
    }
    flush(whole);
    // The same session again, with a flush after every event.
    Session fine;
    begin(fine);
    for (const auto& frame : whole.frames) {
        for (const auto& event : frame.events) {
            if (const auto* c = std::get_if<capture::CapturedCall>(&event)) {
                Call spec{c->hash, c->args, {}, {}, c->result};
                for (const auto& t : c->texts) {
                    spec.texts.emplace_back(t.argIndex, t.bytes);
                }
                for (const auto& sl : c->slots) {
                    spec.slots.emplace_back(sl.argIndex, sl.value);
                }
                call(fine, spec);
            } else if (const auto* p = std::get_if<capture::CapturedPeds>(&event)) {
                peds(fine, p->capacity, p->handles, p->returned);
            } else {
                wait(fine, std::get<capture::CapturedWait>(event).ms);
            }
            flush(fine);
        }
    }
    const auto read = capture_test::read(fine.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_TRUE(sameFrames(read.capture->frames, whole.frames));
    // One chunk a flush: the header, then a data chunk for each event.
    EXPECT_EQ(read.capture->extent.chunks, 1 + fine.flushEnds.size());
}

TEST(CaptureRoundTrip, ClosingMarksAreReportedAndNothingFollowsThem) {
    Session closed;
    begin(closed);
    idleFrame(closed, pedHandles(3), 500);
    append(closed, capture::endCapture(closed.encoder));
    capture::recordWait(closed.encoder, 0); // ignored after the end
    append(closed, capture::flushCapture(closed.encoder));
    const auto readClosed = read(closed.file);
    ASSERT_FALSE(readClosed.error) << describe(*readClosed.error);
    EXPECT_EQ(readClosed.capture->extent.ending, CaptureEnding::Closed);
    EXPECT_TRUE(sameFrames(readClosed.capture->frames, closed.frames));

    Session full;
    begin(full);
    idleFrame(full, pedHandles(3), 500);
    call(full, {GameTimer, {}, {}, {}, {516}}); // before the mark: kept
    append(full, capture::stopAtSizeCap(full.encoder, std::uint64_t{1} << 30));
    capture::recordNativeCall(full.encoder, {GameTimer, {}, {}, {}, {}});
    append(full, capture::endCapture(full.encoder));
    const auto readFull = read(full.file);
    ASSERT_FALSE(readFull.error) << describe(*readFull.error);
    EXPECT_EQ(readFull.capture->extent.ending, CaptureEnding::SizeCapReached);
    EXPECT_EQ(readFull.capture->extent.sizeCap, std::uint64_t{1} << 30);
    EXPECT_TRUE(sameFrames(readFull.capture->frames, full.frames));
}

TEST(CaptureRoundTrip, SettingsFileAbsentPresentCutOrNotRecorded) {
    const std::string withNulAndCr("[Pallbrook]\r\nDragText=a\0b\r\n", 28);
    const std::string huge(capture::MaxSettingsBytes + 5, 'x');
    struct Case {
        int kind; // 0 not recorded, 1 no file, 2 file
        std::string bytes;
        SettingsFound found;
        std::size_t keptSize;
    };
    for (const Case& c :
         {Case{0, "", SettingsFound::NotRecorded, 0}, Case{1, "", SettingsFound::NoFile, 0},
          Case{2, "", SettingsFound::File, 0}, Case{2, withNulAndCr, SettingsFound::File, 28},
          Case{2, huge, SettingsFound::FileCut, capture::MaxSettingsBytes}}) {
        Session s;
        begin(s);
        if (c.kind == 1) {
            capture::recordNoSettingsFile(s.encoder);
        } else if (c.kind == 2) {
            capture::recordSettingsFile(s.encoder, c.bytes);
        }
        idleFrame(s, pedHandles(2), 16);
        flush(s);
        const auto read = capture_test::read(s.file);
        ASSERT_FALSE(read.error) << describe(*read.error);
        EXPECT_EQ(read.capture->settings.found, c.found);
        EXPECT_EQ(read.capture->settings.bytes, c.bytes.substr(0, c.keptSize));
        EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
    }
}

TEST(CaptureRoundTrip, EncoderKeepsWithinTheFormatsLimits) {
    Session s;
    begin(s);
    std::vector<std::uint64_t> manyArgs(40);
    for (std::size_t i = 0; i < manyArgs.size(); ++i) {
        manyArgs[i] = 0x1111111111111111ull * (i % 15 + 1);
    }
    const std::string longText(capture::MaxTextBytes + 100, 'q');
    const std::vector<capture::TextArg> texts = {{3, longText},
                                                 {1, "before three: dropped"},
                                                 {5, "kept"},
                                                 {5, "same index: dropped"},
                                                 {39, "beyond the kept arguments: dropped"}};
    const std::vector<capture::SlotArg> slots = {{7, 70}, {6, 60}, {8, 80}};
    const std::vector<std::uint64_t> result = {1, 2, 3, 4};
    capture::recordNativeCall(s.encoder, {0x1234, manyArgs, texts, slots, result});
    std::vector<std::int32_t> manyHandles(capture::MaxPedHandles + 10);
    for (std::size_t i = 0; i < manyHandles.size(); ++i) {
        manyHandles[i] = static_cast<std::int32_t>(i * 3);
    }
    capture::recordPedsAnswer(s.encoder, 2000000, manyHandles, -1);
    capture::recordWait(s.encoder, std::numeric_limits<std::uint32_t>::max());
    flush(s);

    capture::CapturedCall expected{
        0x1234, {manyArgs.begin(), manyArgs.begin() + 32}, {}, {}, {1, 2, 3}};
    expected.texts = {{3, longText.substr(0, capture::MaxTextBytes)}, {5, "kept"}};
    expected.slots = {{7, 70}, {8, 80}};
    for (std::uint32_t index : {3u, 5u, 7u, 8u}) {
        expected.args[index] = 0;
    }
    const capture::CapturedPeds expectedPeds{
        2000000, {manyHandles.begin(), manyHandles.begin() + capture::MaxPedHandles}, -1};

    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    ASSERT_EQ(read.capture->frames.size(), 1u);
    const auto& events = read.capture->frames[0].events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::get<capture::CapturedCall>(events[0]), expected);
    EXPECT_EQ(std::get<capture::CapturedPeds>(events[1]), expectedPeds);
    EXPECT_EQ(std::get<capture::CapturedWait>(events[2]).ms,
              std::numeric_limits<std::uint32_t>::max());
}

TEST(CaptureRoundTrip, ExtremeWordsAndEmptyFramesSurviveTheDeltas) {
    Session s;
    begin(s);
    const std::uint64_t top = std::numeric_limits<std::uint64_t>::max();
    wait(s); // a frame that is only its wait
    for (std::uint64_t step = 0; step < 6; ++step) {
        // Words swinging across the whole range, hash 0, a result count that
        // changes, ped lists emptied and refilled with negative handles.
        call(s, {0, {top - step, step, top / 2 + step}, {}, {}, {top * (step % 2)}});
        call(s, {0x77,
                 {},
                 {},
                 {},
                 step % 2 == 0 ? vector3(-1.0f, 0.0f, 3.5f) : std::vector<std::uint64_t>{}});
        peds(s, step % 3 == 0 ? 0 : 16,
             step % 2 == 0 ? std::vector<std::int32_t>{}
                           : std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::min(), -1,
                                                       0, std::numeric_limits<std::int32_t>::max()},
             static_cast<std::int32_t>(step) - 3);
        wait(s, static_cast<std::uint32_t>(step * 1000));
        wait(s);
    }
    flush(s);
    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_TRUE(sameFrames(read.capture->frames, s.frames));
}

TEST(CaptureRoundTrip, FrameByFrameReadingGivesTheFramesOfTheWholeRead) {
    Session s;
    begin(s);
    VariedWorld world;
    for (int frame = 0; frame < 50; ++frame) {
        variedFrame(s, world);
    }
    flush(s);
    capture::CaptureFrameReader reader;
    ASSERT_FALSE(capture::openCapture(reader, s.file));
    std::vector<capture::CapturedFrame> frames;
    capture::CapturedFrame frame;
    capture::CaptureReadError error;
    capture::FrameRead step;
    while ((step = capture::readNextFrame(reader, frame, error)) == capture::FrameRead::Frame) {
        frames.push_back(frame);
    }
    EXPECT_EQ(step, capture::FrameRead::Finished);
    EXPECT_EQ(reader.framesRead, frames.size());
    EXPECT_TRUE(sameFrames(frames, s.frames));
    EXPECT_EQ(capture::readNextFrame(reader, frame, error), capture::FrameRead::Finished);
}

} // namespace
