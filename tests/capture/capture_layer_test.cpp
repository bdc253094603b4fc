// The capture build in the stand-in world: the plugin with the capture layer
// at its host seam plays as the shipped one does, and the file it leaves in
// the working folder holds every call and answer the host saw.
#include "capture/capture_layer_fixture.h"
#include "capture/format/capture_format.h"
#include "capture/layer/capture_session.h"
#include "capture/layer/live_text.h"
#include "capture/layer/native_kinds.h"
#include "support/counting_allocator.h"

#include <regex>

namespace {

using capture::CaptureState;

TEST_F(CaptureLayerTest, TheFileHoldsEveryCallAndAnswerTheHostSaw) {
    step(1);
    writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=Haul\r\n");
    sim::restartScript(); // the script starts again, with a settings file now
    sim::host().calls.clear();
    states.clear();
    step(3);
    dragOnce();
    step(5);
    const std::size_t framesRun = states.size();
    sim::unloadPlugin();

    const auto files = captureFiles();
    ASSERT_EQ(files.size(), 2u) << "one file for each script start";
    auto read = capture::readCaptureFile(files.back());
    ASSERT_FALSE(read.error) << describe(*read.error);
    const capture::Capture& captured = *read.capture;
    EXPECT_EQ(captured.header.pluginVersion, "0.1.0");
    EXPECT_NE(captured.header.buildIdentity.find("PallbrookCapture"), std::string::npos);
    EXPECT_EQ(captured.settings.found, capture::SettingsFound::File);
    EXPECT_EQ(captured.settings.bytes, "[Pallbrook]\r\nDragText=Haul\r\n");
    EXPECT_EQ(captured.extent.ending, capture::CaptureEnding::Closed);
    EXPECT_EQ(captured.frames.size(), framesRun);

    // Call by call against the host's own record.
    const auto calls = callsOf(captured);
    const auto& seen = sim::host().calls;
    ASSERT_EQ(calls.size(), seen.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const capture::CapturedCall& got = *calls[i];
        const sim::NativeCall& want = seen[i];
        ASSERT_EQ(got.hash, want.hash) << "call " << i;
        ASSERT_EQ(got.args.size(), want.args.count) << "call " << i;
        const NativeKinds* kinds = findNativeKinds(want.hash);
        ASSERT_NE(kinds, nullptr);
        std::size_t texts = 0;
        for (std::size_t a = 0; a < want.args.count; ++a) {
            if (isTextArg(kinds->args[a])) {
                ASSERT_LT(texts, got.texts.size()) << "call " << i;
                EXPECT_EQ(got.texts[texts].argIndex, a);
                EXPECT_EQ(got.texts[texts].bytes, want.args.text(a)) << "call " << i;
                ++texts;
            } else if (!isSlotArg(kinds->args[a])) {
                EXPECT_EQ(got.args[a], want.args.word(a)) << "call " << i << " word " << a;
            }
        }
        const std::size_t resultWords = resultWordCount(kinds->result);
        ASSERT_EQ(got.result.size(), resultWords) << "call " << i;
        for (std::size_t r = 0; r < resultWords; ++r) {
            EXPECT_EQ(got.result[r], want.result.words[r]) << "call " << i;
        }
    }
    // The label from the captured settings file reached the prompt.
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const capture::CapturedCall* call) {
        return std::any_of(call->texts.begin(), call->texts.end(),
                           [](const auto& text) { return text.bytes == "Haul"; });
    }));
}

TEST_F(CaptureLayerTest, ChunksReachTheFileAtLeastOnceASecondOfGameTime) {
    // Across the wrap of the game timer, half a second in.
    sim::world().gameTimeMs = 0xFFFFFFFFu - 500u;
    step(75); // 2.5 s of 33 ms frames, and the game never unloads the plugin
    const auto captured = readOnlyCapture();
    EXPECT_EQ(captured.extent.ending, capture::CaptureEnding::Unmarked);
    // What a crash now would leave: every frame up to the last whole second.
    EXPECT_GE(captured.frames.size(), 60u);
    EXPECT_LE(captured.frames.size(), 75u);
}

TEST_F(CaptureLayerTest, ASettingsFileLargerThanACaptureKeepsIsMarkedCut) {
    const std::string largest = "[Pallbrook]\n" + std::string(capture::MaxSettingsBytes - 12, ';');
    ASSERT_EQ(largest.size(), capture::MaxSettingsBytes);
    writeBytes("Pallbrook.ini", largest);
    step(2); // the script starts with the first frame
    writeBytes("Pallbrook.ini", largest + ";");
    sim::restartScript();
    step(2);
    sim::unloadPlugin();
    const auto files = captureFiles();
    ASSERT_EQ(files.size(), 2u);
    const auto whole = capture::readCaptureFile(files[0]);
    const auto cut = capture::readCaptureFile(files[1]);
    ASSERT_TRUE(whole.capture && cut.capture);
    EXPECT_EQ(whole.capture->settings.found, capture::SettingsFound::File);
    EXPECT_EQ(whole.capture->settings.bytes, largest);
    EXPECT_EQ(cut.capture->settings.found, capture::SettingsFound::FileCut);
    EXPECT_EQ(cut.capture->settings.bytes, largest);
}

TEST_F(CaptureLayerTest, ALabelLongerThanTheSeamReadsReplaysWithoutADifference) {
    // The label reaches the game as a text, which the capture keeps cut where
    // the seam stops reading; the replay compares what the plugin passes now
    // as the capture would have kept it.
    const std::string label(capture::MaxLiveTextRead + 100, 'x');
    writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=" + label + "\r\n");
    step(3);
    sim::unloadPlugin();
    const auto captured = readOnlyCapture();
    const auto calls = callsOf(captured);
    ASSERT_TRUE(std::any_of(calls.begin(), calls.end(), [](const capture::CapturedCall* call) {
        return std::any_of(call->texts.begin(), call->texts.end(), [](const auto& text) {
            return text.bytes == std::string(capture::MaxLiveTextRead, 'x');
        });
    })) << "the label was not kept cut";

    const auto difference = replayed(captured.frames);
    EXPECT_FALSE(difference) << difference->recorded << "\n" << difference->now;
}

// The replay compares what the plugin does now with the capture, the texts
// of its calls and the room it gives the ped list included.
TEST_F(CaptureLayerTest, AReplayReportsAChangedLabelOrPedListRoom) {
    writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=Haul\r\n");
    step(3);
    sim::unloadPlugin();
    const auto frames = readOnlyCapture().frames;
    ASSERT_EQ(frames.size(), 3u);
    ASSERT_FALSE(replayed(frames)) << "the capture does not replay as it is";

    writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=Pull\r\n");
    const auto labelChanged = replayed(frames);
    ASSERT_TRUE(labelChanged) << "a changed label was not noticed";
    EXPECT_NE(labelChanged->recorded.find("Haul"), std::string::npos) << labelChanged->recorded;
    EXPECT_NE(labelChanged->now.find("Pull"), std::string::npos) << labelChanged->now;

    writeBytes("Pallbrook.ini", "[Pallbrook]\r\nDragText=Haul\r\n");
    auto otherRoom = frames;
    capture::CapturedPeds* peds = nullptr;
    for (auto& event : otherRoom.back().events) {
        peds = peds != nullptr ? peds : std::get_if<capture::CapturedPeds>(&event);
    }
    ASSERT_NE(peds, nullptr) << "the last frame asks for no ped list";
    const std::string asked = "ped list(room for " + std::to_string(peds->capacity) + ")";
    peds->capacity += 1;
    const auto roomChanged = replayed(otherRoom);
    ASSERT_TRUE(roomChanged) << "a ped list asked with other room was not noticed";
    EXPECT_EQ(roomChanged->now, asked);
}

TEST_F(CaptureLayerTest, EachScriptStartWritesANewFileAndNoneIsOverwritten) {
    step(2);
    sim::restartScript();
    step(2);
    sim::restartScript();
    step(2);
    const auto files = captureFiles();
    ASSERT_EQ(files.size(), 3u);
    const std::regex name(R"(Pallbrook-capture-\d{4}-\d\d-\d\d-\d{6}(-\d+)?\.pbcap)");
    for (const auto& file : files) {
        EXPECT_TRUE(std::regex_match(file.filename().string(), name)) << file;
    }
    // The first two ended when the script started again.
    for (std::size_t i = 0; i < 2; ++i) {
        auto read = capture::readCaptureFile(files[i]);
        ASSERT_TRUE(read.capture);
        EXPECT_EQ(read.capture->extent.ending, capture::CaptureEnding::Closed);
    }
}

TEST_F(CaptureLayerTest, PastTheSizeCapCapturingStopsAndThePluginPlaysOn) {
    CaptureState.options.sizeCap = 2000;
    step(200);
    dragOnce();
    const auto captured = readOnlyCapture();
    EXPECT_EQ(captured.extent.ending, capture::CaptureEnding::SizeCapReached);
    EXPECT_EQ(captured.extent.sizeCap, 2000u);
    EXPECT_FALSE(CaptureState.recording);
    // The file stops within a chunk of the cap: a second of frames at most.
    EXPECT_LT(std::filesystem::file_size(captureFiles().front()), 2000u + 4096u);
}

// A game installed where the player's account may not write: the capture goes
// to the player's own capture folder, and with none the plugin plays on.
TEST_F(CaptureLayerTest, AGameFolderThatCannotBeWrittenSendsTheCaptureToThePlayersFolder) {
    const auto game = folder.path() / "game";
    std::filesystem::create_directory(game);
    std::filesystem::current_path(game);
    std::filesystem::remove(game); // not even root can write a removed folder
    CaptureState.options.playerFolder = (folder.path() / "player").string();
    sim::restartScript();
    step(3);
    ASSERT_TRUE(CaptureState.recording);
    const std::string written = CaptureState.fileName;
    const auto playerCaptures = folder.path() / "player" / "Pallbrook" / "captures";
    EXPECT_EQ(written.rfind(playerCaptures.string() + "/Pallbrook-capture-", 0), 0u) << written;

    CaptureState.options.playerFolder.clear();
    sim::restartScript();
    step(2);
    EXPECT_FALSE(CaptureState.recording);
    dragOnce();
    std::filesystem::current_path(folder.path());

    auto read = capture::readCaptureFile(written);
    ASSERT_TRUE(read.capture) << (read.error ? describe(*read.error) : "");
    EXPECT_EQ(read.capture->extent.ending, capture::CaptureEnding::Closed);
    EXPECT_EQ(read.capture->frames.size(), 3u);
}

TEST_F(CaptureLayerTest, AFileThatCannotBeWrittenLeavesThePluginPlaying) {
    CaptureState.options.fileName = "no-such-folder/capture.pbcap";
    step(2);
    EXPECT_FALSE(CaptureState.recording);
    dragOnce();
    EXPECT_TRUE(captureFiles().empty());
}

TEST_F(CaptureLayerTest, WithTheShippedPluginLoadedTooThisBuildStandsDown) {
    CaptureState.options.pretendShippedPluginLoaded = true;
    holdPromptControl();
    step(60);
    EXPECT_TRUE(sim::host().calls.empty()) << "the capture build asked the game for something";
    EXPECT_EQ(sim::promptCount(), 0);
    const auto captured = readOnlyCapture();
    EXPECT_EQ(captured.extent.ending, capture::CaptureEnding::StoodDown);
    EXPECT_TRUE(captured.frames.empty());
}

TEST_F(CaptureLayerTest, FramesAllocateNothingOnceTheBuffersHaveGrown) {
    for (int i = 0; i < 12; ++i) {
        sim::addBody({static_cast<float>(i % 4), 3.0f + static_cast<float>(i / 4), 0.0f});
    }
    // A drag and a few chunks out: every buffer has its working size.
    step(120);
    dragOnce();
    alloc_count::reset();
    step(120);
    dragOnce();
    step(120);
    EXPECT_EQ(alloc_count::pluginAllocations(), 0u);
    EXPECT_TRUE(CaptureState.recording);
}

} // namespace
