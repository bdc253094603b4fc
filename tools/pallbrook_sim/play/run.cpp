#include "play/run.h"

#include "common/format.h"
#include "common/names.h"
#include "play/expectations.h"
#include "play/platform.h"
#include "play/scratch_dir.h"
#include "play/world_setup.h"
#include "report/brief/observer.h"
#include "report/brief/prompt_watch.h"
#include "report/picture/picture.h"
#include "report/trace/trace.h"

#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/world.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace pbsim {

namespace {

// Everything one run keeps between frames.
struct Run {
    const Scenario& scenario;
    Track track;
    Observer observer{track};
    PromptWatch promptWatch;
    std::ofstream trace;
    bool inCurrentFolder = false;
    std::vector<bool> applied;
    std::vector<bool> checked;
    std::vector<std::string> pending; // lines of the frame being run
    std::vector<std::string> failures;
    std::size_t failedExpectations = 0;
    std::size_t errorsShown = 0;
    std::string fault;
    bool progressShown = false;

    explicit Run(const Scenario& s)
        : scenario(s), applied(s.timeline.size()), checked(s.expectations.size()) {}

    // Game time as the timer reads it, counted on without wrapping.
    std::int64_t clock() const {
        return static_cast<std::int64_t>(scenario.world.startTimeMs) +
               sim::world().frame * static_cast<std::int64_t>(scenario.world.frameTimeMs);
    }

    bool due(const Moment& at) const {
        switch (at.kind) {
        case Moment::Kind::Frame:
            return sim::world().frame == at.value;
        case Moment::Kind::Time:
            return clock() >= at.value;
        case Moment::Kind::End:
            return false;
        }
        return false;
    }

    void print(const std::string& line) {
        if (progressShown) {
            std::fputs("\r\033[K", stderr);
            progressShown = false;
        }
        std::string prefix = std::to_string(sim::world().frame);
        prefix.insert(0, prefix.size() < 6 ? 6 - prefix.size() : 0, ' ');
        std::string time = fixed(static_cast<double>(clock()) / 1000.0, 3);
        time.insert(0, time.size() < 9 ? 9 - time.size() : 0, ' ');
        std::fputs((prefix + time + " s  " + line + "\n").c_str(), stdout);
    }

    void applyDueEvents() {
        for (std::size_t i = 0; i < scenario.timeline.size(); ++i) {
            const TimelineEvent& event = scenario.timeline[i];
            if (applied[i] || !due(event.at)) {
                continue;
            }
            applied[i] = true;
            try {
                std::string said = applyAction(event.action);
                pending.push_back("> " + said + (event.note.empty() ? "" : "  -- " + event.note));
            } catch (const std::runtime_error& error) {
                fault = scenario.file + ": " + event.pointer + ": " + error.what();
            }
        }
    }

    void check(std::size_t i) {
        const Expectation& expect = scenario.expectations[i];
        checked[i] = true;
        std::vector<std::string> failed = checkExpectation(expect, observer.phase());
        for (const std::string& what : failed) {
            failures.push_back("FAILED at " + describeMoment(expect) + ": " + what);
        }
        failedExpectations += failed.empty() ? 0u : 1u;
    }

    void sample() {
        const sim::World& w = sim::world();
        const sim::Ped& player = w.peds.at(w.player);
        track.samples.push_back(
            {w.frame, player.position, player.heading, observer.phase(), observer.target()});
        for (const auto& [handle, ped] : w.peds) {
            if (!ped.exists) {
                continue;
            }
            auto& path = track.pedPaths[handle];
            if (path.empty() || std::hypot(path.back().x - ped.position.x,
                                           path.back().y - ped.position.y) > 0.005f) {
                path.push_back(ped.position);
            }
        }
    }

    // The linked build can see the plugin's own state: the brief must agree.
    void crossCheck() {
        auto state = pluginDragState();
        if (state && *state != static_cast<int>(observer.phase())) {
            fault = "tool fault: the brief says " + std::string(phaseName(observer.phase())) +
                    " but the plugin's state is " + phaseName(static_cast<Phase>(*state));
        }
        auto grab = pluginGrabPoint();
        auto seen = observer.grabPointThisFrame();
        if (grab && seen && observer.phase() == Phase::PickingUp && *grab != *seen) {
            fault = "tool fault: the brief says grab point " + std::to_string(*seen) +
                    " but the plugin chose " + std::to_string(*grab);
        }
    }

    void reportHostErrors() {
        const auto& errors = sim::host().errors;
        for (; errorsShown < errors.size(); ++errorsShown) {
            print("host fault: " + errors[errorsShown]);
        }
    }

    void showProgress(bool terminal) {
        std::int64_t frame = sim::world().frame;
        if (terminal && frame % 250 == 0) {
            std::fprintf(stderr, "\r  frame %lld of %lld", static_cast<long long>(frame),
                         static_cast<long long>(scenario.frames));
            std::fflush(stderr);
            progressShown = true;
        }
    }

    void frame() {
        observer.beginFrame();
        sim::runFrame();
        for (std::string& line : observer.endFrame()) {
            pending.push_back(std::move(line));
        }
        for (std::string& line : promptWatch.update(track, sim::world().frame)) {
            pending.push_back(std::move(line));
        }
        for (const std::string& line : pending) {
            print(line);
        }
        pending.clear();
        sample();
        crossCheck();
        reportHostErrors();
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
        std::puts("  frame   game time");
    }

    void footer() {
        const sim::Ped& player = sim::world().peds.at(sim::world().player);
        std::puts(("end after " + std::to_string(sim::world().frame) + " frames: state " +
                   phaseName(observer.phase()) + ", player at (" + fixed(player.position.x, 2) +
                   ", " + fixed(player.position.y, 2) + ", " + fixed(player.position.z, 2) +
                   ") facing " + fixed(player.heading, 1) + " deg")
                      .c_str());
        std::size_t count = scenario.expectations.size();
        if (failures.empty() && sim::host().errors.empty() && fault.empty()) {
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
        if (!fault.empty()) {
            std::puts(("FAILED: " + fault).c_str());
        }
        std::puts(("expectations: " + std::to_string(count) + " checked, " +
                   std::to_string(failedExpectations) + " failed")
                      .c_str());
    }
};

} // namespace

int runScenario(const Scenario& scenario, const RunOptions& options) {
    useBinaryStdout();
    Run run(scenario);
    run.inCurrentFolder = options.inCurrentFolder;
    if (!options.tracePath.empty()) {
        run.trace.open(options.tracePath, std::ios::binary | std::ios::trunc);
        if (!run.trace) {
            std::fprintf(stderr, "pallbrook-sim: cannot write %s\n", options.tracePath.c_str());
            return 2;
        }
    }
    std::optional<ScratchDir> scratch;
    if (!options.inCurrentFolder) {
        scratch.emplace(scenario.settings);
    }

    sim::resetHost();
    sim::installWorld();
    pedNames() = PedNames{};
    try {
        buildWorld(scenario.world);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "%s: %s\n", scenario.file.c_str(), error.what());
        return 2;
    }
    sim::Host& host = sim::host();
    host.recordCalls = false;
    host.onCall = [&run](const sim::NativeCall& call) {
        run.observer.onCall(call);
        if (run.trace.is_open()) {
            run.trace << traceLine(call, sim::world().frame, sim::world().gameTimeMs) << '\n';
        }
    };
    host.beforeFrame.push_back([&run] { run.applyDueEvents(); });

    run.header();
    if (!sim::loadPlugin(options.pluginPath)) {
        run.reportHostErrors();
        return 1;
    }
    bool terminal = isTerminal(stderr) && scenario.frames >= 1000;
    while (sim::world().frame < scenario.frames && run.fault.empty()) {
        run.frame();
        run.showProgress(terminal);
    }
    if (run.progressShown) {
        std::fputs("\r\033[K", stderr);
    }
    for (std::size_t i = 0; i < run.checked.size(); ++i) {
        if (!run.checked[i] && run.fault.empty()) {
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
    host.onCall = nullptr;
    run.footer();
    if (!options.svgPath.empty()) {
        writePicture(options.svgPath, scenario, run.track);
    }
    std::fflush(stdout);
    bool ok = run.failures.empty() && host.errors.empty() && run.fault.empty();
    return ok ? 0 : 1;
}

} // namespace pbsim
