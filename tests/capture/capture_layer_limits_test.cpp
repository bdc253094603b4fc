// The capture layer's bounds, each at the bound and one past it: the size
// cap, in each capture of a process afresh; the ped list clamped to the
// array the plugin passed, whatever count the host answers; texts read at
// the seam; and how often chunks reach the file.
#include "capture/capture_layer_fixture.h"
#include "capture/layer/capture_session.h"
#include "capture/layer/live_text.h"
#include "capture/raw_chunks.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

using capture::CaptureState;
using capture_test::Bytes;

Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CaptureLayerLimits : public CaptureLayerTest {
  protected:
    // The world and the plugin afresh, in the same process, with no capture
    // file left in the folder.
    void afresh() {
        TearDown();
        for (const auto& file : captureFiles()) {
            std::filesystem::remove(file);
        }
        SetUp();
    }

    // The one capture file in the folder.
    Bytes onlyFile() {
        const auto files = captureFiles();
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? Bytes{} : fileBytes(files[0]);
    }
};

// The same idle capture twice in one process, the first one whole. The
// second, capped at the end of one of the first one's flushes, stops at the
// flush after it; capped a byte higher, at the flush after that: its count
// starts at its own first byte, not at the first capture's.
TEST_F(CaptureLayerLimits, TheSizeCapStopsAtItsBoundInEachCaptureAfresh) {
    constexpr int Frames = 200; // 33 ms frames: a flush every 31 frames or so
    step(Frames);
    sim::unloadPlugin();
    const Bytes whole = onlyFile();
    // The header and the settings go out at once, then a data chunk a flush:
    // flush j ends where chunk 2 + j starts.
    const std::vector<std::size_t> starts = capture_test::chunkStarts(whole);
    ASSERT_GT(starts.size(), 7u);
    const std::size_t flush = 2;
    for (const std::size_t past : {0u, 1u}) {
        afresh();
        CaptureState.options.sizeCap = starts[2 + flush] + past;
        step(Frames);
        const Bytes capped = onlyFile();
        const auto read = capture::readCapture(capped);
        ASSERT_FALSE(read.error) << capture::describe(*read.error);
        EXPECT_EQ(read.capture->extent.ending, capture::CaptureEnding::SizeCapReached);
        // The whole capture's bytes up to the end of the flush that found the
        // cap reached, then the size cap mark.
        const std::size_t stoppedAt = starts[2 + flush + 1 + past];
        EXPECT_EQ(capture_test::chunkStarts(capped).rbegin()[1], stoppedAt)
            << "capped at " << CaptureState.options.sizeCap;
        EXPECT_TRUE(std::equal(whole.begin(), whole.begin() + long(stoppedAt), capped.begin(),
                               capped.begin() + long(std::min(stoppedAt, capped.size()))));
    }
}

// What the host answers for the ped list is recorded as it came, and the
// handles as far as the host may have written them: no further than the
// array the plugin passed, even when the host reports more.
TEST_F(CaptureLayerLimits, APedListIsRecordedNoFurtherThanTheArrayPassed) {
    step(1);
    ASSERT_TRUE(CaptureState.recording);
    const std::vector<int> written = {11, 12, 13, 14, 15, 16}; // the plugin passed the first 4
    struct Answer {
        int returned;
        std::size_t handles;
    };
    const std::vector<Answer> answers = {{4, 4}, {5, 4}, {3, 3}, {0, 0}, {-1, 0}};
    for (const Answer& answer : answers) {
        capture::recordPeds(written.data(), 4, answer.returned);
        capture::recordFrameEnd(0);
    }
    sim::unloadPlugin();
    std::vector<capture::CapturedPeds> recorded;
    for (const auto& frame : readOnlyCapture().frames) {
        for (const auto& event : frame.events) {
            const auto* peds = std::get_if<capture::CapturedPeds>(&event);
            if (peds != nullptr && peds->capacity == 4) {
                recorded.push_back(*peds);
            }
        }
    }
    ASSERT_EQ(recorded.size(), answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(recorded[i].returned, answers[i].returned);
        EXPECT_EQ(
            recorded[i].handles,
            std::vector<std::int32_t>(written.begin(), written.begin() + long(answers[i].handles)))
            << "the host returned " << answers[i].returned << " for room for 4";
    }
}

// The prompt's label reaches the game as a text: kept to its last byte at
// the length the seam reads, cut one byte past it.
TEST_F(CaptureLayerLimits, ATextIsReadToTheSeamsBoundAndCutOneBytePast) {
    const std::size_t bound = capture::MaxLiveTextRead;
    for (const std::size_t length : {bound, bound + 1}) {
        const std::string label = std::string(length - 1, 'x') + "y";
        afresh();
        writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=" + label + "\r\n");
        step(3);
        sim::unloadPlugin();
        const auto read = capture::readCapture(onlyFile());
        ASSERT_TRUE(read.capture);
        const auto calls = callsOf(*read.capture);
        const std::string kept = label.substr(0, bound);
        EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                                [&kept](const auto* call) {
                                    return std::any_of(
                                        call->texts.begin(), call->texts.end(),
                                        [&kept](const auto& text) { return text.bytes == kept; });
                                }))
            << "a label of " << length << " bytes";
    }
}

// Chunks reach the file once the game timer has moved on by a second since
// the last, or after 240 frames while it stands still; not a frame sooner.
TEST_F(CaptureLayerLimits, ChunksGoOutAtASecondOrAt240FramesNotSooner) {
    struct Cadence {
        std::uint32_t frameMs;
        int frames;
        std::size_t framesInFile;
    };
    // The timer as the first frame reads it is where the count starts: with
    // 250 ms frames, the fifth reads a second on; with 333 ms, the fourth
    // reads 999 ms on.
    for (const Cadence& c : {Cadence{250, 5, 5}, Cadence{250, 4, 0}, Cadence{333, 4, 0},
                             Cadence{333, 5, 5}, Cadence{0, 240, 240}, Cadence{0, 239, 0}}) {
        afresh();
        sim::world().frameTimeMs = c.frameMs;
        step(c.frames);
        const auto read = capture::readCapture(onlyFile());
        ASSERT_TRUE(read.capture);
        EXPECT_EQ(read.capture->frames.size(), c.framesInFile)
            << c.frames << " frames of " << c.frameMs << " ms";
    }
}

} // namespace
