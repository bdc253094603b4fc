#include "play/replay.h"

#include "capture_files/capture_open.h"
#include "files/input_file.h"
#include "play/platform.h"
#include "play/play_loop.h"
#include "play/replay_progress.h"
#include "play/scratch_dir.h"
#include "play/timeline.h"
#include "play/world_setup.h"
#include "plugin/natives.h"
#include "printing/names.h"
#include "report/brief/settings_story.h"
#include "scenario/scenario_reader.h"

#include "capture/format/reader/capture_reader.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/replay/replay_host.h"
#include "sim/world/world.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace simtool {

namespace {

// The settings the replay plays with: another file, or the one captured.
// False when the other file cannot be read (said).
bool settingsFor(const capture::CaptureFrameReader& reader, const ReplayOptions& options,
                 std::optional<std::string>& settings, std::string& told) {
    settings = std::nullopt;
    if (!options.settingsPath.empty()) {
        std::string fault;
        settings = readInputFile(options.settingsPath, fault);
        if (!settings) {
            std::fprintf(stderr, "pallbrook-sim: the settings file %s %s",
                         options.settingsPath.c_str(), fault.c_str());
            return false;
        }
        told = "settings from " + std::filesystem::path(options.settingsPath).filename().string() +
               " instead of the captured ones";
        return true;
    }
    switch (reader.settings.found) {
    case capture::SettingsFound::File:
        told = "the captured Pallbrook.ini (" + std::to_string(reader.settings.bytes.size()) +
               " bytes)";
        settings = reader.settings.bytes;
        break;
    case capture::SettingsFound::FileCut:
        told = "the captured Pallbrook.ini, cut to its first " +
               std::to_string(reader.settings.bytes.size()) + " bytes";
        settings = reader.settings.bytes;
        break;
    default:
        told = "no Pallbrook.ini, as when captured";
        break;
    }
    return true;
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

// What one replay keeps between its steps.
struct ReplayRun {
    sim::ReplayState state;
    CaptureClock clock;
    std::optional<Scenario> names;
    std::optional<TimelinePlay> timeline;
    std::int64_t frames = 0;
    bool differs = false;
};

// False when the scenario is refused (said).
bool readNames(const ReplayOptions& options, ReplayRun& run) {
    if (options.namesPath.empty()) {
        return true;
    }
    ReadResult read = readScenario(options.namesPath);
    for (const std::string& problem : read.problems) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    run.names = std::move(read.scenario);
    return run.names.has_value();
}

// The stand-in host answering from the capture, its calls heard by the play
// loop and the capture's clock. False when the scenario of the names cannot
// make its world (said).
bool prepareHost(ReplayRun& run, PlayLoop& loop, const ReplayOptions& options,
                 std::ostream* trace) {
    sim::resetHost();
    sim::installWorld();
    pedNames() = PedNames{};
    if (run.names) {
        // The scenario's world and timeline play along, unasked, for the
        // names of its peds; where they stand is the capture's to tell.
        try {
            buildWorld(run.names->world);
        } catch (const std::runtime_error& error) {
            std::fprintf(stderr, "%s: %s", options.namesPath.c_str(), error.what());
            return false;
        }
        run.timeline.emplace(*run.names);
        sim::host().beforeFrame.push_back([&run] {
            applyDueEvents(
                *run.timeline, run.clock.now(), [](std::string) {}, [](std::string) {});
        });
    }
    sim::installReplayHost(run.state);
    loop.useClock([&run] { return run.clock.now(); });
    loop.traceTo(trace);
    sim::host().recordCalls = false;
    loop.tellFromCalls();
    loop.listen();
    auto listened = sim::host().onCall;
    sim::host().onCall = [listened, &run](const sim::NativeCall& call) {
        run.clock.onCall(call);
        listened(call);
    };
    return true;
}

void printHeading(const std::string& file, const capture::CaptureFrameReader& reader,
                  const std::string& settingsTold, const SettingsStory& story) {
    std::puts(("Pallbrook capture " + std::filesystem::path(file).filename().string()).c_str());
    std::puts(
        ("  plugin " + reader.header.pluginVersion + "; " + reader.header.buildIdentity).c_str());
    std::puts(("  " + settingsTold).c_str());
    for (const std::string& line : story.lines) {
        std::puts(("  " + line).c_str());
    }
    PlayLoop::printColumnHeads();
}

// Plays the captured frames until the first difference, a fault or the end.
// False when a record cannot be read (reported).
bool playFrames(const std::string& file, OpenedCapture& opened, ReplayRun& run, PlayLoop& loop) {
    ReplayProgress progress = startProgress(opened.bytes);
    capture::CapturedFrame frame;
    capture::CaptureReadError error;
    bool readable = true;
    for (;;) {
        const capture::FrameRead got = capture::readNextFrame(opened.reader, frame, error);
        if (got == capture::FrameRead::Failed) {
            readable = false;
            break;
        }
        if (got == capture::FrameRead::Finished || run.state.recordingEnded) {
            break;
        }
        loop.playFrame([&run, &frame] { sim::replayFrame(run.state, std::move(frame)); });
        ++run.frames;
        showProgress(progress, run.frames);
        run.differs = run.state.difference.has_value();
        if (run.differs || !loop.fault().empty()) {
            break;
        }
    }
    endProgress(progress);
    if (!readable) {
        reportRefused(file, error);
    }
    return readable;
}

// The difference, the ending and the faults; the exit status.
int printOutcome(const capture::CaptureExtent& extent, const ReplayRun& run, PlayLoop& loop) {
    if (run.differs) {
        printDifference(*run.state.difference);
    }
    std::string ending = capture::endingName(extent.ending);
    if (extent.ending == capture::CaptureEnding::TornTail ||
        extent.ending == capture::CaptureEnding::Damaged) {
        ending += ": replayed up to the last whole chunk, " +
                  capture::endingDetails(extent, static_cast<std::size_t>(run.frames));
    }
    std::puts(("end of the capture (" + ending + ") after " + std::to_string(run.frames) +
               " frames: state " + phaseName(loop.phase()))
                  .c_str());
    loop.printSummary();
    if (!loop.fault().empty()) {
        std::puts(("FAILED: " + loop.fault()).c_str());
    }
    const bool hostFaults = !sim::host().errors.empty();
    if (hostFaults) {
        std::puts(("FAILED: the host saw " + std::to_string(sim::host().errors.size()) +
                   " fault(s), listed above")
                      .c_str());
    }
    const bool failed = run.differs || hostFaults || !loop.fault().empty();
    if (!failed) {
        std::puts(("replay: " + std::to_string(run.state.eventsMatched) +
                   " recorded events made again, no difference")
                      .c_str());
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}

} // namespace

int replayCapture(const std::string& file, const ReplayOptions& options) {
    useBinaryStdout();
    const std::string notReplayed = "; " + file + " was not replayed, nothing written\n";
    OpenedCapture opened;
    if (!openCaptureFile(file, opened)) {
        return 2;
    }
    ReplayRun run;
    if (!readNames(options, run)) {
        std::fputs(
            ("pallbrook-sim: the names of " + options.namesPath + " cannot be used" + notReplayed)
                .c_str(),
            stderr);
        return 2;
    }
    std::string settingsTold;
    std::optional<std::string> settings;
    if (!settingsFor(opened.reader, options, settings, settingsTold)) {
        std::fputs(notReplayed.c_str(), stderr);
        return 2;
    }
    Outputs outputs(options.outputs, file);
    if (!outputs.open()) {
        return 2;
    }
    std::optional<ScratchDir> scratch;
    SettingsStory story;
    try {
        scratch.emplace(settings);
        story = tellSettings(settings);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "pallbrook-sim: %s", error.what());
        std::fputs(notReplayed.c_str(), stderr);
        return 2;
    }
    PlayLoop loop(0, 0);
    if (!prepareHost(run, loop, options, outputs.trace())) {
        std::fputs(notReplayed.c_str(), stderr);
        return 2;
    }
    loop.useDetectionRadius(story.detectionRadius);
    loop.answersMadeUpWhen([&run] { return run.state.difference || run.state.recordingEnded; });
    printHeading(file, opened.reader, settingsTold, story);
    const PictureText text{std::filesystem::path(file).filename().string(), "a capture replayed",
                           true};
    if (!sim::loadPlugin(options.pluginPath)) {
        loop.reportHostErrors();
        return outputs.finish(1, loop.track(), text);
    }
    const bool readable = playFrames(file, opened, run, loop);
    sim::unloadPlugin();
    if (!readable) {
        return 2;
    }
    loop.stopListening();
    if (run.differs) {
        loop.markDifference("DIFFERENCE, event " +
                            std::to_string(run.state.difference->callInFrame));
    }
    const int status = printOutcome(opened.reader.extent, run, loop);
    return outputs.finish(status, loop.track(), text);
}

} // namespace simtool
