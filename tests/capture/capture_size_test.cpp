// What a capture costs: bytes a minute of idle frames at 60 frames a second
// (goals: 100 KiB with 64 peds, 1 MiB with 1024), a ped coming or going, a
// dictionary wait, and no allocation once the buffers have grown.
#include "capture/session.h"
#include "capture/synthetic_frames.h"
#include "support/counting_allocator.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace capture_test;

constexpr std::uint32_t FramesPerMinute = 60 * 60;

// A minute of the idle frame, its timer moving on by 16 ms a frame, flushed
// once a second; read back frame by frame (22 million events at 1024 peds:
// too many to keep). Gives the bytes of the first frame and of the minute.
std::pair<std::size_t, std::size_t> idleMinute(int pedCount) {
    Session model;
    begin(model);
    idleFrame(model, pedHandles(pedCount), 0);
    capture::CapturedFrame frame = model.frames.front();
    auto& timer = std::get<capture::CapturedCall>(frame.events.front()).result;

    Session s;
    begin(s);
    std::size_t firstFrame = 0;
    for (std::uint32_t f = 0; f < FramesPerMinute; ++f) {
        timer = {5000 + 16 * f};
        recordFrame(s.encoder, frame);
        if (f == 0 || f % 60 == 59) {
            const std::size_t before = s.file.size();
            flush(s);
            firstFrame = f == 0 ? s.file.size() - before : firstFrame;
        }
    }
    capture::CaptureFrameReader reader;
    EXPECT_FALSE(capture::openCapture(reader, s.file));
    capture::CapturedFrame read;
    capture::CaptureReadError error;
    std::uint32_t frames = 0;
    while (capture::readNextFrame(reader, read, error) == capture::FrameRead::Frame) {
        timer = {5000 + 16 * frames++};
        if (read != frame) {
            ADD_FAILURE() << "frame " << frames - 1 << " read back differs";
            break;
        }
    }
    EXPECT_EQ(frames, FramesPerMinute);
    std::printf("idle, %d peds: first frame %zu bytes, then %.2f bytes a frame; %zu bytes a "
                "minute\n",
                pedCount, firstFrame,
                static_cast<double>(s.file.size() - firstFrame) / (FramesPerMinute - 1),
                s.file.size());
    return {firstFrame, s.file.size()};
}

TEST(CaptureSize, AnIdleMinuteStaysWithinItsGoal) {
    const auto [first64, minute64] = idleMinute(64);
    // A frame that repeats the one before, but for the game timer, takes 2
    // bytes of records (80 20) before compression; the goals alone would allow
    // 28 and 290.
    EXPECT_LE(minute64 - first64, (FramesPerMinute - 1) * 10);
    EXPECT_LE(minute64, 100u << 10);
    const auto [first1024, minute1024] = idleMinute(1024);
    EXPECT_LE(minute1024 - first1024, (FramesPerMinute - 1) * 10);
    EXPECT_LE(minute1024, 1u << 20);
}

// The bytes of the frame recorded after three ordinary frames, as the
// encoder writes them in a chunk of their own, compressed, its header
// included.
std::size_t bytesOfFrame(const auto& recordNext) {
    Session s;
    begin(s);
    const auto handles = pedHandles(1024);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        idleFrame(s, handles, 16 * frame);
    }
    flush(s);
    const std::size_t start = s.file.size();
    recordNext(s);
    flush(s);
    const auto read = capture_test::read(s.file);
    EXPECT_FALSE(read.error);
    EXPECT_TRUE(read.error || sameFrames(read.capture->frames, s.frames));
    return s.file.size() - start;
}

TEST(CaptureSize, APedComingOrGoingOrADictionaryWaitCostsLittle) {
    const auto handles = pedHandles(1024);
    auto fewer = handles;
    fewer.erase(fewer.begin() + 500);
    auto more = handles;
    more.insert(more.begin() + 500, 77);
    const std::size_t same = bytesOfFrame([&](Session& s) { idleFrame(s, handles, 48); });
    const std::size_t gone = bytesOfFrame([&](Session& s) { idleFrame(s, fewer, 48); });
    const std::size_t come = bytesOfFrame([&](Session& s) { idleFrame(s, more, 48); });
    // A pick-up stops at a dictionary load and waits for it over a few frames;
    // the ordinary frame after it is written against the last of them, so
    // mostly whole.
    const std::size_t loadThenOrdinary = bytesOfFrame([&](Session& s) {
        call(s, {GameTimer, {}, {}, {}, {48}});
        for (std::uint64_t loaded = 0; loaded < 6; ++loaded) {
            call(s, {RequestDict, {0}, {{0, "script@mech@drag"}}, {}, {loaded / 5}});
            wait(s);
        }
        idleFrame(s, handles, 64);
    });
    std::printf("1024 peds, bytes of a frame: as before %zu, a ped gone %zu, a ped come %zu; a "
                "dictionary wait and the frame after %zu\n",
                same, gone, come, loadThenOrdinary);
    // A ped coming or going changes the list and the calls of one ped: far
    // less than the frame written whole, more than 20 KiB even compressed.
    EXPECT_LE(gone, same + 256);
    EXPECT_LE(come, same + 256);
    // A pick-up's dictionary wait: at most a thirty-second of the minute's
    // goal of 1 MiB.
    EXPECT_LE(loadThenOrdinary, 32u << 10);
}

TEST(CaptureSize, FramesAllocateNothingOnceBuffersHaveGrown) {
    capture::CaptureEncoder encoder;
    capture::beginCapture(encoder, "0.1.0", "");
    const auto handles = pedHandles(256);
    const std::uint64_t one[1] = {1};
    const std::uint64_t dictArg[1] = {0x12345678};
    const capture::TextArg dict{0, "script@mech@drag"};
    const auto coords = vector3(1.0f, 2.0f, 3.0f);
    std::uint64_t timer[1] = {0};
    std::uint64_t ped[1] = {0};
    auto second = [&] {
        for (int frame = 0; frame < 60; ++frame) {
            timer[0] += 16;
            capture::recordNativeCall(encoder, {GameTimer, {}, {}, {}, timer});
            capture::recordPedsAnswer(encoder, 1024, handles, 256);
            for (std::int32_t handle : handles) {
                ped[0] = static_cast<std::uint32_t>(handle);
                capture::recordNativeCall(encoder, {EntityExists, ped, {}, {}, one});
                capture::recordNativeCall(encoder, {EntityCoords, ped, {}, {}, coords});
            }
            capture::recordNativeCall(encoder, {RequestDict, dictArg, {&dict, 1}, {}, one});
            capture::recordWait(encoder, 0);
            capture::recordNativeCall(encoder, {RequestDict, dictArg, {&dict, 1}, {}, one});
            capture::recordWait(encoder, 0);
        }
        return capture::flushCapture(encoder).size();
    };
    second();
    second();
    const std::size_t before = alloc_count::allAllocations();
    std::size_t bytes = 0;
    for (int i = 0; i < 5; ++i) {
        bytes += second();
    }
    EXPECT_EQ(alloc_count::allAllocations() - before, 0u);
    EXPECT_GT(bytes, 0u);
}

} // namespace
