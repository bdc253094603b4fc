// What a capture costs: bytes a minute of idle frames at 60 frames a second
// (goals: 100 KiB with 64 peds, 1 MiB with 1024), a ped coming or going, and
// no allocation once the buffers have grown to a frame's working size.
#include "capture/counting_new.h"
#include "capture/session.h"
#include "capture/synthetic_frames.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace capture_test;

constexpr std::uint32_t FramesPerMinute = 60 * 60;

struct MinuteCost {
    std::size_t firstFrameBytes = 0;
    std::size_t totalBytes = 0;     // the whole file, header and chunk frames included
    double steadyBytesPerFrame = 0; // after the first frame
};

// The idle frame of synthetic_frames.h, recorded straight into the encoder
// (a minute of 1024 peds is 22 million events: too many to keep as expected
// frames).
void recordFrame(capture::CaptureEncoder& encoder, const capture::CapturedFrame& frame) {
    std::vector<capture::TextArg> texts;
    std::vector<capture::SlotArg> slots;
    for (const capture::CapturedEvent& event : frame.events) {
        if (const auto* c = std::get_if<capture::CapturedCall>(&event)) {
            capture::recordNativeCall(encoder, {c->hash, c->args, {}, {}, c->result});
        } else if (const auto* p = std::get_if<capture::CapturedPeds>(&event)) {
            capture::recordPedsAnswer(encoder, p->capacity, p->handles, p->returned);
        } else {
            capture::recordWait(encoder, std::get<capture::CapturedWait>(event).ms);
        }
    }
}

// One minute of idle frames, flushed once a second, and read back frame by
// frame: each the model frame with its own timer.
MinuteCost idleMinute(int pedCount) {
    capture::CaptureEncoder encoder;
    std::vector<std::uint8_t> file;
    auto append = [&file](std::span<const std::uint8_t> bytes) {
        file.insert(file.end(), bytes.begin(), bytes.end());
    };
    capture::beginCapture(encoder, "0.1.0", "size test");
    capture::recordSettingsFile(encoder, "[Pallbrook]\n");
    append(capture::flushCapture(encoder));

    Session model;
    begin(model);
    idleFrame(model, pedHandles(pedCount), 0);
    capture::CapturedFrame frame = model.frames.front();
    auto& timerResult = std::get<capture::CapturedCall>(frame.events.front()).result;
    MinuteCost cost;
    const std::size_t start = file.size();
    for (std::uint32_t f = 0; f < FramesPerMinute; ++f) {
        timerResult = {5000 + 16 * f};
        recordFrame(encoder, frame);
        if (f == 0) {
            append(capture::flushCapture(encoder));
            cost.firstFrameBytes = file.size() - start;
        } else if (f % 60 == 59) {
            append(capture::flushCapture(encoder));
        }
    }
    append(capture::flushCapture(encoder));
    cost.totalBytes = file.size();
    cost.steadyBytesPerFrame =
        static_cast<double>(file.size() - start - cost.firstFrameBytes) / (FramesPerMinute - 1);

    capture::CaptureFrameReader reader;
    EXPECT_FALSE(capture::openCapture(reader, file));
    capture::CapturedFrame read;
    capture::CaptureReadError error;
    std::uint32_t frames = 0;
    while (capture::readNextFrame(reader, read, error) == capture::FrameRead::Frame) {
        timerResult = {5000 + 16 * frames};
        if (read != frame) {
            ADD_FAILURE() << "frame " << frames << " read back differs";
            break;
        }
        ++frames;
    }
    EXPECT_EQ(frames, static_cast<std::uint32_t>(FramesPerMinute));
    std::printf("idle, %d peds: first frame %zu bytes, then %.2f bytes/frame, %zu bytes a "
                "minute\n",
                pedCount, cost.firstFrameBytes, cost.steadyBytesPerFrame, cost.totalBytes);
    return cost;
}

TEST(CaptureSize, IdleMinuteWith64PedsStaysUnder100KiB) {
    const MinuteCost cost = idleMinute(64);
    EXPECT_LE(cost.steadyBytesPerFrame, 28.0);
    EXPECT_LE(cost.totalBytes, std::size_t{100} << 10);
}

TEST(CaptureSize, IdleMinuteWith1024PedsStaysUnder1MiB) {
    const MinuteCost cost = idleMinute(1024);
    EXPECT_LE(cost.steadyBytesPerFrame, 290.0);
    EXPECT_LE(cost.totalBytes, std::size_t{1} << 20);
}

// The bytes of one frame after a few identical ones.
std::size_t bytesOfFrameAfterChange(const std::vector<std::int32_t>& before,
                                    const std::vector<std::int32_t>& after) {
    Session s;
    begin(s);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        idleFrame(s, before, 16 * frame);
    }
    flush(s);
    const std::size_t start = s.file.size();
    idleFrame(s, after, 64);
    flush(s);
    const auto read = capture_test::read(s.file);
    EXPECT_FALSE(read.error);
    if (!read.error) {
        EXPECT_EQ(read.capture->frames.back(), s.frames.back());
    }
    return s.file.size() - start - capture::ChunkHeaderSize;
}

TEST(CaptureSize, APedComingOrGoingInTheMiddleCostsItsOwnCallsOnly) {
    const auto handles = pedHandles(1024);
    auto fewer = handles;
    fewer.erase(fewer.begin() + 500);
    auto more = handles;
    more.insert(more.begin() + 500, 77);
    const std::size_t same = bytesOfFrameAfterChange(handles, handles);
    const std::size_t gone = bytesOfFrameAfterChange(handles, fewer);
    const std::size_t come = bytesOfFrameAfterChange(handles, more);
    std::printf("1024 peds: frame as before %zu bytes, a ped gone %zu, a ped come %zu\n", same,
                gone, come);
    EXPECT_LE(gone, same + 16);
    // Six calls written whole: at most 40 bytes each.
    EXPECT_LE(come, same + 6 * 40 + 16);
}

// A pick-up: the frame stops at a dictionary load and waits for it over a few
// frames, then goes on. The ordinary frames after it are written against the
// last ordinary frame, not against the waiting ones.
TEST(CaptureSize, ADictionaryWaitLeavesTheOrdinaryFramesCheap) {
    Session s;
    begin(s);
    const auto handles = pedHandles(64);
    std::uint32_t timer = 0;
    for (int frame = 0; frame < 3; ++frame) {
        idleFrame(s, handles, timer += 16);
    }
    flush(s);
    std::size_t start = s.file.size();
    idleFrame(s, handles, timer += 16);
    flush(s);
    const std::size_t ordinary = s.file.size() - start;

    start = s.file.size();
    call(s, {GameTimer, {}, {}, {}, {timer += 16}});
    call(s, {RequestDict, {0}, {{0, "script@mech@drag"}}, {}, {0}});
    wait(s);
    for (int waiting = 0; waiting < 5; ++waiting) {
        call(s, {RequestDict, {0}, {{0, "script@mech@drag"}}, {}, {0}});
        wait(s);
    }
    call(s, {RequestDict, {0}, {{0, "script@mech@drag"}}, {}, {1}});
    call(s, {PlayerPed, {0}, {}, {}, {42}});
    wait(s);
    flush(s);
    const std::size_t pickUp = s.file.size() - start;

    start = s.file.size();
    idleFrame(s, handles, timer += 16);
    flush(s);
    const std::size_t after = s.file.size() - start;
    std::printf(
        "64 peds: ordinary frame %zu bytes, pick-up with 7 waits %zu, the frame after %zu\n",
        ordinary, pickUp, after);
    // One byte more than an ordinary frame: the record naming its base.
    EXPECT_LE(after, ordinary + 1);
    EXPECT_LE(pickUp, std::size_t{200});

    const auto read = capture_test::read(s.file);
    ASSERT_FALSE(read.error) << describe(*read.error);
    EXPECT_EQ(read.capture->frames, s.frames);
}

TEST(CaptureSize, FramesAllocateNothingOnceBuffersHaveGrown) {
    Session s;
    begin(s);
    const auto handles = pedHandles(256);
    std::uint32_t timer = 0;
    // Warm up: frames, a dictionary wait, and a flush, as the loop below does.
    capture::CaptureEncoder& encoder = s.encoder;
    const std::vector<std::uint64_t> noArgs;
    const std::vector<std::uint64_t> coords = vector3(1.0f, 2.0f, 3.0f);
    const capture::TextArg dict{0, "script@mech@drag"};
    std::vector<std::uint64_t> timerWord(1);
    std::vector<std::uint64_t> ped(1);
    std::vector<std::uint64_t> one = {1};
    std::size_t flushed = 0;
    auto frame = [&] {
        timerWord[0] = timer += 16;
        capture::recordNativeCall(encoder, {GameTimer, noArgs, {}, {}, timerWord});
        capture::recordPedsAnswer(encoder, 1024, handles,
                                  static_cast<std::int32_t>(handles.size()));
        for (std::int32_t handle : handles) {
            ped[0] = static_cast<std::uint32_t>(handle);
            capture::recordNativeCall(encoder, {EntityExists, ped, {}, {}, one});
            capture::recordNativeCall(encoder, {EntityCoords, ped, {}, {}, coords});
        }
        const std::uint64_t dictArg[1] = {0x12345678};
        capture::recordNativeCall(encoder, {RequestDict, dictArg, {&dict, 1}, {}, one});
        capture::recordWait(encoder, 0);
        capture::recordNativeCall(encoder, {RequestDict, dictArg, {&dict, 1}, {}, one});
        capture::recordWait(encoder, 0);
    };
    for (int i = 0; i < 4; ++i) {
        frame();
    }
    flushed += capture::flushCapture(encoder).size();
    for (int i = 0; i < 4; ++i) {
        frame();
    }
    flushed += capture::flushCapture(encoder).size();

    const std::size_t before = counting_new::allocations();
    for (int second = 0; second < 5; ++second) {
        for (int i = 0; i < 60; ++i) {
            frame();
        }
        flushed += capture::flushCapture(encoder).size();
    }
    EXPECT_EQ(counting_new::allocations() - before, 0u);
    EXPECT_GT(flushed, 0u);
}

} // namespace
