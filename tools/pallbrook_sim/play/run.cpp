#include "play/run.h"

#include "play/expectations.h"
#include "play/platform.h"
#include "play/play_loop.h"
#include "play/scratch_dir.h"
#include "play/timeline.h"
#include "play/world_setup.h"
#include "printing/names.h"
#include "report/brief/settings_story.h"
#include "report/picture/picture.h"

#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/world.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

namespace simtool {

namespace {

// The Pallbrook.ini of the current folder, as the plugin will read it.
std::optional<std::string> currentFolderSettings() {
    std::ifstream in("Pallbrook.ini", std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a scenario's run keeps besides the frame loop: the timeline's events
// applied and the expectations checked.
struct Run {
    const Scenario& scenario;
    PlayLoop loop;
    bool inCurrentFolder = false;
    SettingsStory settings;
    TimelinePlay timeline;
    std::vector<bool> checked;
    std::vector<std::string> failures;
    std::size_t failedExpectations = 0;

    explicit Run(const Scenario& s)
        : scenario(s), loop(s.world.startTimeMs, s.world.frameTimeMs), timeline(s),
          checked(s.expectations.size()) {}

    bool due(const Moment& at) const { return isDue(at, loop.clock()); }

    void applyDueEvents() {
        simtool::applyDueEvents(
            timeline, loop.clock(), [this](std::string line) { loop.say(std::move(line)); },
            [this](std::string why) { loop.fail(std::move(why)); });
    }

    void check(std::size_t i) {
        const Expectation& expect = scenario.expectations[i];
        checked[i] = true;
        std::vector<std::string> failed = checkExpectation(expect, loop.phase());
        for (const std::string& what : failed) {
            failures.push_back("FAILED at " + describeMoment(expect) + ": " + what);
        }
        failedExpectations += failed.empty() ? 0u : 1u;
    }

    void checkDue() {
        for (std::size_t i = 0; i < checked.size(); ++i) {
            if (!checked[i] && due(scenario.expectations[i].at)) {
                check(i);
            }
        }
    }

    void header() {
        const WorldSetup& setup = scenario.world;
        std::puts(("Pallbrook scenario " + std::filesystem::path(scenario.file).filename().string())
                      .c_str());
        if (!scenario.description.empty()) {
            std::puts(("  " + scenario.description).c_str());
        }
        std::puts(("  " + std::to_string(scenario.frames) + " frames of " +
                   std::to_string(setup.frameTimeMs) + " ms; " +
                   (inCurrentFolder     ? "the Pallbrook.ini of the current folder, if any"
                    : scenario.settings ? "settings from the scenario's Pallbrook.ini"
                                        : "no Pallbrook.ini, default settings") +
                   "; " + (setup.keyboard ? "keyboard and mouse" : "pad"))
                      .c_str());
        for (const std::string& line : settings.lines) {
            std::puts(("  " + line).c_str());
        }
        PlayLoop::printColumnHeads();
    }

    void footer() {
        loop.printEnd();
        loop.printSummary();
        std::size_t count = scenario.expectations.size();
        if (failures.empty() && sim::host().errors.empty() && loop.fault().empty()) {
            std::puts(("expectations: " + std::to_string(count) + " checked, all hold").c_str());
            return;
        }
        for (const std::string& failure : failures) {
            std::puts(failure.c_str());
        }
        if (!sim::host().errors.empty()) {
            std::puts(("FAILED: the host saw " + std::to_string(sim::host().errors.size()) +
                       " fault(s), listed above")
                          .c_str());
        }
        if (!loop.fault().empty()) {
            std::puts(("FAILED: " + loop.fault()).c_str());
        }
        std::puts(("expectations: " + std::to_string(count) + " checked, " +
                   std::to_string(failedExpectations) + " failed")
                      .c_str());
    }
};

} // namespace

int runScenario(const Scenario& scenario, const RunOptions& options) {
    useBinaryStdout();
    if (const auto& frames = options.outputs.part.frames;
        frames && frames->last > scenario.frames) {
        std::fprintf(stderr,
                     "pallbrook-sim: %s: --frames %lld-%lld: the scenario has frames 1 to %lld; "
                     "it was not run, nothing written\n",
                     scenario.file.c_str(), static_cast<long long>(frames->first),
                     static_cast<long long>(frames->last), static_cast<long long>(scenario.frames));
        return 2;
    }
    Outputs outputs(options.outputs, scenario.file);
    if (!outputs.open()) {
        return 2;
    }
    Run run(scenario);
    run.inCurrentFolder = options.inCurrentFolder;
    run.loop.traceTo(outputs.trace());
    std::optional<ScratchDir> scratch;
    try {
        if (!options.inCurrentFolder) {
            scratch.emplace(scenario.settings, options.keptFolder);
        }
        run.settings =
            tellSettings(options.inCurrentFolder ? currentFolderSettings() : scenario.settings);
        run.loop.useDetectionRadius(run.settings.detectionRadius);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "pallbrook-sim: %s: %s; it was not run, nothing written\n",
                     scenario.file.c_str(), error.what());
        return 2;
    }
    if (!options.keptFolder.empty()) {
        outputs.leavesAlso("what the plugin wrote stays in " + options.keptFolder);
    }

    sim::resetHost();
    sim::installWorld();
    pedNames() = PedNames{};
    try {
        buildWorld(scenario.world);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "%s: %s; it was not run, nothing written\n", scenario.file.c_str(),
                     error.what());
        return 2;
    }
    sim::Host& host = sim::host();
    host.recordCalls = false;
    run.loop.listen();
    host.beforeFrame.push_back([&run] { run.applyDueEvents(); });

    run.header();
    const PictureText text{std::filesystem::path(scenario.file).filename().string(),
                           scenario.description, false};
    if (!sim::loadPlugin(options.pluginPath)) {
        run.loop.reportHostErrors();
        return outputs.finish(1, run.loop.track(), text);
    }
    run.loop.play(scenario.frames, [&run] { run.checkDue(); });
    for (std::size_t i = 0; i < run.checked.size(); ++i) {
        if (!run.checked[i] && run.loop.fault().empty()) {
            if (scenario.expectations[i].at.kind == Moment::Kind::End) {
                run.check(i);
            } else {
                run.failures.push_back("FAILED at " + describeMoment(scenario.expectations[i]) +
                                       ": the run ended before that moment");
                ++run.failedExpectations;
            }
        }
    }
    sim::unloadPlugin();
    run.loop.stopListening();
    run.footer();
    std::fflush(stdout);
    bool ok = run.failures.empty() && host.errors.empty() && run.loop.fault().empty();
    return outputs.finish(ok ? 0 : 1, run.loop.track(), text);
}

} // namespace simtool
