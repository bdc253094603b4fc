#include "play/replay.h"

#include "play/platform.h"
#include "play/play_loop.h"
#include "play/scratch_dir.h"
#include "play/timeline.h"
#include "play/world_setup.h"
#include "plugin/natives.h"
#include "printing/names.h"
#include "report/picture/picture.h"
#include "scenario/scenario_reader.h"

#include "capture_file/reader/capture_reader.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/replay/replay_host.h"
#include "sim/world/world.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <variant>

namespace simtool {

namespace {

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The settings the replay plays with: another file, or the one captured.
std::optional<std::string> settingsFor(const capture::CaptureFrameReader& reader,
                                       const ReplayOptions& options, std::string& told) {
    if (!options.settingsPath.empty()) {
        auto text = readFile(options.settingsPath);
        if (!text) {
            throw std::runtime_error("cannot read the settings file " + options.settingsPath);
        }
        told = "settings from " + std::filesystem::path(options.settingsPath).filename().string() +
               " instead of the captured ones";
        return text;
    }
    switch (reader.settings.found) {
    case capture::SettingsFound::File:
        told = "the captured Pallbrook.ini (" + std::to_string(reader.settings.bytes.size()) +
               " bytes)";
        return reader.settings.bytes;
    case capture::SettingsFound::FileCut:
        told = "the captured Pallbrook.ini, cut to its first " +
               std::to_string(reader.settings.bytes.size()) + " bytes";
        return reader.settings.bytes;
    default:
        told = "no Pallbrook.ini, as when captured";
        return std::nullopt;
    }
}

// The game time the plugin was told: the last answer of the game timer,
// counted on without wrapping. In frames that do not read the timer (a
// dictionary wait) it runs on by the last frame time seen.
struct CaptureClock {
    std::uint32_t lastTimer = 0;
    std::int64_t unwrapped = 0;
    std::int64_t readInFrame = -1;
    std::int64_t step = 0; // game time a frame, from the last two reads
    bool seen = false;

    void onCall(const sim::NativeCall& call) {
        if (call.hash != natives::GameTimer) {
            return;
        }
        const auto now = static_cast<std::uint32_t>(call.result.words[0]);
        const std::int64_t frame = sim::world().frame;
        if (!seen) {
            unwrapped = now;
        } else if (frame > readInFrame) {
            const auto advanced = static_cast<std::int32_t>(now - lastTimer);
            unwrapped += advanced;
            step = advanced / (frame - readInFrame);
        }
        lastTimer = now;
        readInFrame = frame;
        seen = true;
    }

    std::int64_t now() const {
        const std::int64_t frames = seen ? sim::world().frame - readInFrame : 0;
        return unwrapped + frames * step;
    }
};

void printDifference(const sim::ReplayDifference& difference) {
    std::puts(("DIFFERENCE in frame " + std::to_string(difference.frame) + ", event " +
               std::to_string(difference.callInFrame) + " of the frame:")
                  .c_str());
    std::puts(("  recorded: " + difference.recorded).c_str());
    std::puts(("  now:      " + difference.now).c_str());
    if (!difference.before.empty()) {
        std::puts("  before it, as recorded and made again:");
        for (const std::string& line : difference.before) {
            std::puts(("    " + line).c_str());
        }
    }
}

} // namespace

int replayCapture(const std::string& file, const ReplayOptions& options) {
    useBinaryStdout();
    const auto bytes = readFile(file);
    if (!bytes) {
        std::fprintf(stderr, "pallbrook-sim: cannot read %s\n", file.c_str());
        return 2;
    }
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                             bytes->size());
    capture::CaptureFrameReader reader;
    if (auto error = capture::openCapture(reader, data)) {
        std::fprintf(stderr, "pallbrook-sim: %s: refused: %s\n", file.c_str(),
                     capture::describe(*error).c_str());
        return 2;
    }

    std::optional<Scenario> names;
    if (!options.namesPath.empty()) {
        ReadResult read = readScenario(options.namesPath);
        for (const std::string& problem : read.problems) {
            std::fprintf(stderr, "%s\n", problem.c_str());
        }
        if (!read.scenario) {
            return 2;
        }
        names = std::move(read.scenario);
    }

    std::string settingsTold;
    const std::optional<std::string> settings = settingsFor(reader, options, settingsTold);
    ScratchDir scratch(settings);

    sim::resetHost();
    sim::installWorld();
    pedNames() = PedNames{};
    CaptureClock clock;
    std::optional<TimelinePlay> timeline;
    if (names) {
        // The scenario's world and timeline play along, unasked, for the
        // names of its peds and where they stand.
        buildWorld(names->world);
        timeline.emplace(*names);
        sim::host().beforeFrame.push_back([&timeline, &clock] {
            applyDueEvents(
                *timeline, clock.now(), [](std::string) {}, [](std::string) {});
        });
    }
    sim::ReplayState state;
    sim::installReplayHost(state);

    PlayLoop loop(0, 0);
    loop.useClock([&clock] { return clock.now(); });
    if (!options.tracePath.empty() && !loop.openTrace(options.tracePath)) {
        std::fprintf(stderr, "pallbrook-sim: cannot write %s\n", options.tracePath.c_str());
        return 2;
    }
    sim::host().recordCalls = false;
    loop.watchPromptsFromCalls();
    loop.listen();
    auto listened = sim::host().onCall;
    sim::host().onCall = [listened, &clock](const sim::NativeCall& call) {
        clock.onCall(call);
        listened(call);
    };

    std::puts(("Pallbrook capture " + std::filesystem::path(file).filename().string()).c_str());
    std::puts(
        ("  plugin " + reader.header.pluginVersion + "; " + reader.header.buildIdentity).c_str());
    std::puts(("  " + settingsTold).c_str());
    PlayLoop::printColumnHeads();

    if (!sim::loadPlugin(options.pluginPath)) {
        loop.reportHostErrors();
        return 1;
    }
    capture::CapturedFrame frame;
    capture::CaptureReadError error;
    std::int64_t frames = 0;
    bool differs = false;
    for (;;) {
        const capture::FrameRead got = capture::readNextFrame(reader, frame, error);
        if (got == capture::FrameRead::Failed) {
            std::fprintf(stderr, "pallbrook-sim: %s: refused: %s\n", file.c_str(),
                         capture::describe(error).c_str());
            sim::unloadPlugin();
            return 2;
        }
        if (got == capture::FrameRead::Finished || state.recordingEnded) {
            break;
        }
        loop.playFrame([&state, &frame] { sim::replayFrame(state, std::move(frame)); });
        ++frames;
        if (state.difference) {
            differs = true;
            break;
        }
        if (!loop.fault().empty()) {
            break;
        }
    }
    sim::unloadPlugin();
    loop.stopListening();
    if (!options.svgPath.empty()) {
        Scenario shown = names.value_or(Scenario{});
        shown.file = file;
        shown.description = "a capture replayed";
        shown.frames = frames;
        writePicture(options.svgPath, shown, loop.track());
    }

    if (differs) {
        printDifference(*state.difference);
    }
    const auto& extent = reader.extent;
    std::string ending = capture::endingName(extent.ending);
    if (extent.ending == capture::CaptureEnding::TornTail) {
        ending += ": replayed up to the last whole chunk, " + std::to_string(extent.keptBytes) +
                  " bytes kept, " + std::to_string(extent.droppedBytes) + " dropped";
    }
    std::puts(("end of the capture (" + ending + ") after " + std::to_string(frames) +
               " frames: state " + phaseName(loop.phase()))
                  .c_str());
    if (!loop.fault().empty()) {
        std::puts(("FAILED: " + loop.fault()).c_str());
    }
    const bool hostFaults = !sim::host().errors.empty();
    if (hostFaults) {
        std::puts(("FAILED: the host saw " + std::to_string(sim::host().errors.size()) +
                   " fault(s), listed above")
                      .c_str());
    }
    if (!differs && !hostFaults && loop.fault().empty()) {
        std::puts(("replay: " + std::to_string(state.eventsMatched) +
                   " recorded events made again, no difference")
                      .c_str());
    }
    std::fflush(stdout);
    return differs || hostFaults || !loop.fault().empty() ? 1 : 0;
}

} // namespace simtool
