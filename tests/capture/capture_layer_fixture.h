// The capture build of the plugin in the stand-in world, for the tests of
// the capture layer: the plugin loaded with its capture on, the capture
// files of the working folder read, and a capture replayed afresh.
#pragma once

#include "capture/format/reader/capture_reader.h"
#include "capture/layer/capture_session.h"
#include "drag/drag_fixture.h"
#include "settings/scratch_folder.h"
#include "sim/replay/replay_host.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class CaptureLayerTest : public DragFixture {
  protected:
    void SetUp() override {
        capture::CaptureState.options = {};
        DragFixture::SetUp(); // loads the plugin: the capture starts with the script
    }
    void TearDown() override {
        sim::unloadPlugin();
        DragFixture::TearDown();
    }

    // In the order they were written: a second file of the same second has
    // a number after the time.
    std::vector<std::filesystem::path> captureFiles() const {
        std::vector<std::pair<std::string, std::filesystem::path>> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().extension() == ".pbcap") {
                std::string key = entry.path().stem().string();
                const std::size_t dash =
                    key.find('-', std::string("Pallbrook-capture-2026-12-08-").size());
                const int number = dash == std::string::npos ? 1 : std::stoi(key.substr(dash + 1));
                char order[8];
                std::snprintf(order, sizeof order, "%04d", number);
                found.emplace_back(key.substr(0, dash) + order, entry.path());
            }
        }
        std::sort(found.begin(), found.end());
        std::vector<std::filesystem::path> files;
        for (auto& [key, path] : found) {
            files.push_back(path);
        }
        return files;
    }

    capture::Capture readOnlyCapture() {
        const auto files = captureFiles();
        EXPECT_EQ(files.size(), 1u);
        if (files.empty()) {
            return {};
        }
        auto read = capture::readCaptureFile(files.front());
        EXPECT_FALSE(read.error) << (read.error ? describe(*read.error) : "");
        return read.capture.value_or(capture::Capture{});
    }

    // A whole drag, from the prompt to the body put down.
    void dragOnce() {
        holdPromptControl();
        ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::PuttingDown); }));
        releasePromptControl();
        ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Idle); }));
    }

    // The captured frames replayed by the plugin afresh, as a new process
    // would load it: the first difference, if any.
    std::optional<sim::ReplayDifference>
    replayed(const std::vector<capture::CapturedFrame>& frames) {
        sim::unloadPlugin();
        DragState = DragStateRecord{};
        DeferredActions.main.clear();
        DeferredActions.pending.clear();
        Settings = SettingsRecord{};
        sim::ReplayState state;
        sim::installReplayHost(state);
        EXPECT_TRUE(sim::loadPlugin());
        sim::restartScript();
        for (const auto& frame : frames) {
            if (!sim::replayFrame(state, frame)) {
                break;
            }
        }
        return state.difference;
    }

    ScratchFolder folder;
};

inline std::vector<const capture::CapturedCall*> callsOf(const capture::Capture& captured) {
    std::vector<const capture::CapturedCall*> calls;
    for (const auto& frame : captured.frames) {
        for (const auto& event : frame.events) {
            if (const auto* call = std::get_if<capture::CapturedCall>(&event)) {
                calls.push_back(call);
            }
        }
    }
    return calls;
}
