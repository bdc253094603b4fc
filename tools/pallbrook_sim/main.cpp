// pallbrook-sim: plays a scenario file through the plugin's frame loop in the
// stand-in host and tells what the player would see.
#include "capture_files/capture_info.h"
#include "play/platform.h"
#include "play/replay.h"
#include "play/run.h"
#include "scenario/scenario_reader.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    R"(usage: pallbrook-sim run FILE [--trace FILE] [--svg FILE [--frames A-B | --drag N]]
                              [--plugin FILE] [--here | --folder DIR]
       pallbrook-sim replay FILE [--settings FILE] [--trace FILE]
                                 [--svg FILE [--frames A-B | --drag N]]
                                 [--plugin FILE] [--names SCENARIO]
       pallbrook-sim info FILE
       pallbrook-sim check FILE...
       pallbrook-sim --help

run     plays the scenario FILE through Pallbrook's frame loop in the stand-in
        host and prints, frame by frame, what the player would see. Exits 1
        naming each expectation of the scenario that failed.
          --trace FILE  writes every native call as one JSON line
          --svg FILE    draws the run from above as an SVG picture
                        (for one of them, - is standard output; the brief
                        then goes to standard error)
          --frames A-B  draws only frames A to B of the run
          --drag N      draws only drag N, numbered as the brief numbers
                        them, from its pick-up to the player idle again
          --plugin FILE the Pallbrook.asi to load (Windows build only;
                        default: the one beside this program)
          --here        plays in the current folder as the game's working
                        folder, with the Pallbrook.ini that stands there; a
                        scenario with settings of its own is refused
          --folder DIR  plays in DIR (made if missing) as the game's
                        working folder, with the scenario's Pallbrook.ini,
                        and leaves what the plugin wrote there (a capture)
replay  plays the capture FILE (a .pbcap that PallbrookCapture.asi wrote in the
        game) through Pallbrook's frame loop, answering every call from the
        capture, and prints the same brief as run. Stops at the first call the
        plugin makes that differs from the recorded one and reports it, with
        the calls before it. Takes --trace, --svg, --frames, --drag and
        --plugin as run does.
          --settings FILE  plays with this Pallbrook.ini instead of the
                           captured one: where would a changed setting first
                           change what the plugin does?
          --names SCENARIO names the peds as this scenario does (for a
                           capture made by playing that scenario)
info    tells what the capture FILE holds, without replaying it: format
        version, the build that wrote it, its settings, the frames and game
        time it covers, its chunks and how it ends, the drags begun and ended.
check   reads each scenario FILE and reports what is wrong with it; runs
        nothing.

Exit status: 0 all held (replay: no difference), 1 an expectation or the host
failed (replay: a difference), 2 bad usage, a bad scenario file, a file that is
no readable capture, a file that cannot be read or written, or frames or a drag
that the run does not have: then no trace or picture is written. The scenario
format is told in docs/scenario-format.md, the capture format in
docs/capture-format.md.
)";

int usage(const char* problem) {
    if (problem != nullptr) {
        std::fprintf(stderr, "pallbrook-sim: %s; nothing run, nothing written\n", problem);
    }
    std::fputs(Usage, problem != nullptr ? stderr : stdout);
    return problem != nullptr ? 2 : 0;
}

std::string absolute(const std::string& path) {
    if (path.empty() || path == "-") {
        return path;
    }
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(path, error);
    return error ? path : whole.string();
}

// The picture's part, from the texts of --frames and --drag. Returns the exit
// status of a usage error, or nothing when all is well.
std::optional<int> readPart(const std::string& frames, const std::string& drag,
                            simtool::OutputRequest& outputs) {
    if ((!frames.empty() || !drag.empty()) && outputs.svgPath.empty()) {
        return usage("--frames and --drag choose what --svg draws: give --svg too");
    }
    if (!frames.empty() && !drag.empty()) {
        return usage("--frames and --drag: choose one");
    }
    std::optional<std::string> wrong;
    if (!frames.empty()) {
        outputs.part.frames.emplace();
        wrong = simtool::readFrameSpan(frames, *outputs.part.frames);
    } else if (!drag.empty()) {
        outputs.part.drag.emplace();
        wrong = simtool::readDragNumber(drag, *outputs.part.drag);
    }
    return wrong ? std::optional(usage(wrong->c_str())) : std::nullopt;
}

bool reportProblems(const simtool::ReadResult& read) {
    for (const std::string& problem : read.problems) {
        std::fprintf(stderr, "%s\n", problem.c_str());
    }
    return read.scenario.has_value();
}

int check(const std::vector<std::string>& files) {
    if (files.empty()) {
        return usage("check needs a file");
    }
    bool ok = true;
    for (const std::string& file : files) {
        if (reportProblems(simtool::readScenario(file))) {
            std::printf("%s: good\n", file.c_str());
        } else {
            ok = false;
        }
    }
    return ok ? 0 : 2;
}

// Reads "FILE [--option VALUE | --flag]..." into the places given. Returns
// the exit status of a usage error, or nothing when all is well.
std::optional<int> readArguments(const std::vector<std::string>& args, const std::string& command,
                                 const std::map<std::string, std::string*>& values,
                                 const std::map<std::string, bool*>& flags, std::string& file) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (auto flag = flags.find(arg); flag != flags.end()) {
            *flag->second = true;
        } else if (auto value = values.find(arg); value != values.end()) {
            if (i + 1 == args.size()) {
                return usage((arg + " needs a value").c_str());
            }
            *value->second = args[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(("unknown option " + arg).c_str());
        } else if (file.empty()) {
            file = arg;
        } else {
            return usage((command + " takes one file").c_str());
        }
    }
    if (file.empty()) {
        return usage((command + " needs a file").c_str());
    }
    return std::nullopt;
}

int run(const std::vector<std::string>& args, std::string& file) {
    simtool::RunOptions options;
    options.pluginPath = simtool::defaultPluginPath();
    std::string frames;
    std::string drag;
    if (auto status = readArguments(args, "run",
                                    {{"--trace", &options.outputs.tracePath},
                                     {"--svg", &options.outputs.svgPath},
                                     {"--frames", &frames},
                                     {"--drag", &drag},
                                     {"--plugin", &options.pluginPath},
                                     {"--folder", &options.keptFolder}},
                                    {{"--here", &options.inCurrentFolder}}, file)) {
        return *status;
    }
    if (auto status = readPart(frames, drag, options.outputs)) {
        return *status;
    }
    if (simtool::pluginIsLinked() && !options.pluginPath.empty()) {
        return usage("--plugin: this build has the plugin linked in");
    }
    simtool::ReadResult read = simtool::readScenario(file);
    if (!reportProblems(read)) {
        std::fprintf(stderr, "pallbrook-sim: %s was not run, nothing written\n", file.c_str());
        return 2;
    }
    if (options.inCurrentFolder && read.scenario->settings) {
        return usage("--here: the scenario brings settings of its own");
    }
    if (options.inCurrentFolder && !options.keptFolder.empty()) {
        return usage("--here and --folder: choose one");
    }
    options.outputs.inputs = {{file, "the scenario"},
                              {options.pluginPath, "--plugin"},
                              {options.inCurrentFolder ? "Pallbrook.ini" : "", "the settings"}};
    if (!options.keptFolder.empty() && read.scenario->settings) {
        options.outputs.otherOutputs = {
            {(std::filesystem::path(options.keptFolder) / "Pallbrook.ini").string(),
             "the Pallbrook.ini of --folder"}};
    }
    for (std::string* path : {&options.outputs.tracePath, &options.outputs.svgPath,
                              &options.pluginPath, &options.keptFolder}) {
        *path = absolute(*path);
    }

    return simtool::runScenario(*read.scenario, options);
}

int replay(const std::vector<std::string>& args, std::string& file) {
    simtool::ReplayOptions options;
    options.pluginPath = simtool::defaultPluginPath();
    std::string frames;
    std::string drag;
    if (auto status = readArguments(args, "replay",
                                    {{"--trace", &options.outputs.tracePath},
                                     {"--svg", &options.outputs.svgPath},
                                     {"--frames", &frames},
                                     {"--drag", &drag},
                                     {"--plugin", &options.pluginPath},
                                     {"--settings", &options.settingsPath},
                                     {"--names", &options.namesPath}},
                                    {}, file)) {
        return *status;
    }
    if (auto status = readPart(frames, drag, options.outputs)) {
        return *status;
    }
    if (simtool::pluginIsLinked() && !options.pluginPath.empty()) {
        return usage("--plugin: this build has the plugin linked in");
    }
    for (std::string* path : {&file, &options.outputs.tracePath, &options.outputs.svgPath,
                              &options.pluginPath, &options.settingsPath, &options.namesPath}) {
        *path = absolute(*path);
    }
    options.outputs.inputs = {{file, "the capture"},
                              {options.pluginPath, "--plugin"},
                              {options.settingsPath, "--settings"},
                              {options.namesPath, "--names"}};
    return simtool::replayCapture(file, options);
}

int info(const std::vector<std::string>& args, std::string& file) {
    if (auto status = readArguments(args, "info", {}, {}, file)) {
        return *status;
    }
    return simtool::printCaptureInfo(file);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return usage("no command given");
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        return usage(nullptr);
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    // The file a command works on, for a fault no part of it foresaw.
    std::string file;
    try {
        if (args[0] == "run") {
            return run(rest, file);
        }
        if (args[0] == "replay") {
            return replay(rest, file);
        }
        if (args[0] == "info") {
            return info(rest, file);
        }
        if (args[0] == "check") {
            return check(rest);
        }
    } catch (const std::exception& error) {
        std::fprintf(
            stderr, "pallbrook-sim: %s: %s stopped on a fault of the tool (%s); nothing written\n",
            file.empty() ? "the command line" : file.c_str(), args[0].c_str(), error.what());
        return 2;
    }
    return usage(("unknown command " + args[0]).c_str());
}
