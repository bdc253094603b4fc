// A player who installs PallbrookCapture.asi beside Pallbrook.asi, against the
// note in the zip, still gets one drag feature: the capture build's script
// finds the shipped plugin loaded, ends its capture with the stood-down mark
// and makes no native call. Both real plugins are loaded by the Windows loader
// into one process with the stand-in ScriptHookRDR2.dll, in either order, with
// a body at the player's feet. Each build is also run alone in the same setup:
// the shipped plugin shows its prompt as ever, and the capture build alone
// drags and records, so a capture build that always stood down fails here.
//
// ScriptHookRDR2 runs every registered script in each frame; the stand-in host
// keeps one, the last registered. The script it does not keep runs here on a
// fibre of this program's own, right after the host's script in the same frame.
#include "capture/format/reader/capture_reader.h"
#include "sim/fibre.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "wine_checks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* Shipped = "Pallbrook.asi";
constexpr const char* CaptureBuild = "PallbrookCapture.asi";
constexpr int Frames = 30;

using wine_checks::check;

using Kind = sim::HostEvent::Kind;

// What one plugin's script did in its turns of the frames.
struct ScriptTurns {
    std::string plugin;
    HINSTANCE__* module = nullptr;
    sim::ScriptEntry entry = nullptr;
    std::size_t nativeCalls = 0;
    int pedLists = 0;
};

struct Run {
    std::vector<ScriptTurns> scripts; // in the order they were registered
    std::int32_t body = 0;
    std::optional<sim::PromptView> prompt; // after the last frame
    std::int32_t promptsBegun = 0;
    bool everyRegistrationUndone = false;
    bool hostHoldsNothing = false;
    bool modulesGone = false;
    std::vector<std::string> hostErrors;
    std::vector<fs::path> captures; // left in the working folder

    const ScriptTurns* script(const std::string& plugin) const {
        auto found = std::find_if(scripts.begin(), scripts.end(),
                                  [&](const ScriptTurns& s) { return s.plugin == plugin; });
        return found == scripts.end() ? nullptr : &*found;
    }
};

fs::path programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

std::vector<fs::path> capturesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Pallbrook-capture-") && entry.path().extension() == ".pbcap") {
            found.push_back(entry.path());
        }
    }
    return found;
}

// Every script registered was unregistered by its module, and every keyboard
// handler by itself, whatever the host's single slot made of them.
bool everyRegistrationUndone(const std::vector<sim::HostEvent>& events) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        const auto undoes = [&](const sim::HostEvent& later) {
            return events[i].kind == Kind::ScriptRegister
                       ? later.kind == Kind::ScriptUnregister && later.module == events[i].module
                       : later.kind == Kind::KeyboardUnregister &&
                             later.keyboard == events[i].keyboard;
        };
        const bool registers =
            events[i].kind == Kind::ScriptRegister || events[i].kind == Kind::KeyboardRegister;
        if (registers && std::none_of(events.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                      events.end(), undoes)) {
            return false;
        }
    }
    return true;
}

// Loads the plugins in this order from this program's folder, with the folder
// given as the game's working folder, runs every registered script for some
// frames and unloads the plugins again, last loaded first.
Run runPlugins(const std::vector<std::string>& plugins, const fs::path& folder) {
    Run run;
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);

    sim::resetHost();
    sim::installWorld();
    run.body = sim::addBody({0.0f, 1.5f, 0.0f});
    auto& h = sim::host();
    std::size_t turn = 0;
    h.listPeds = [&, list = h.listPeds](int* array, int size) {
        if (turn < run.scripts.size()) {
            ++run.scripts[turn].pedLists;
        }
        return list(array, size);
    };

    std::vector<HMODULE> modules;
    for (const std::string& plugin : plugins) {
        const std::string path = (programFolder() / plugin).string();
        HMODULE module = nullptr;
        if (modules.empty()) {
            module = sim::loadPlugin(path) ? sim::loadedPluginModule() : nullptr;
        } else {
            module = LoadLibraryA(path.c_str());
        }
        check(module != nullptr, plugin + " loads");
        modules.push_back(module);
    }
    for (const sim::HostEvent& event : h.events) {
        if (event.kind == Kind::ScriptRegister) {
            const auto at = std::find(modules.begin(), modules.end(), event.module);
            const std::string plugin =
                at == modules.end() ? "?" : plugins[static_cast<std::size_t>(at - modules.begin())];
            run.scripts.push_back({plugin, event.module, event.script});
        }
    }

    // The host's script first, then the others, each frame.
    std::vector<std::pair<std::size_t, std::unique_ptr<sim::ScriptFibre>>> others;
    std::size_t held = run.scripts.size();
    for (std::size_t i = 0; i < run.scripts.size(); ++i) {
        if (run.scripts[i].entry == h.script && held == run.scripts.size()) {
            held = i;
        } else {
            others.emplace_back(i, std::make_unique<sim::ScriptFibre>(run.scripts[i].entry));
        }
    }
    for (int frame = 0; frame < Frames && held < run.scripts.size(); ++frame) {
        std::size_t before = h.calls.size();
        turn = held;
        sim::runFrame();
        run.scripts[held].nativeCalls += h.calls.size() - before;
        for (auto& [index, fibre] : others) {
            before = h.calls.size();
            turn = index;
            fibre->resume();
            run.scripts[index].nativeCalls += h.calls.size() - before;
        }
    }
    run.prompt = sim::onlyPrompt();
    run.promptsBegun = sim::world().promptsBegun;
    others.clear();
    h.listPeds = nullptr;

    for (std::size_t i = modules.size(); i-- > 1;) {
        if (modules[i] != nullptr) {
            FreeLibrary(modules[i]);
        }
    }
    sim::unloadPlugin();
    run.everyRegistrationUndone = everyRegistrationUndone(h.events);
    run.hostHoldsNothing = h.script == nullptr && h.keyboard == nullptr;
    run.modulesGone = std::none_of(plugins.begin(), plugins.end(), [](const std::string& plugin) {
        return GetModuleHandleA(plugin.c_str()) != nullptr;
    });
    run.hostErrors = h.errors;
    run.captures = capturesIn(folder);
    fs::current_path(programFolder());
    return run;
}

// What every run must show: one script per plugin, everything undone at
// unload, and no fault in the host.
void checkRun(const Run& run, std::size_t plugins, const std::string& at) {
    check(run.scripts.size() == plugins, at + "each plugin registers one script");
    check(run.everyRegistrationUndone, at + "each registration is undone at unload");
    check(run.hostHoldsNothing, at + "the host holds nothing after the unloads");
    check(run.modulesGone, at + "the modules are unloaded");
    for (const auto& error : run.hostErrors) {
        std::printf("host: %s\n", error.c_str());
    }
    check(run.hostErrors.empty(), at + "the host saw no fault");
}

// The one drag prompt stands on the body, and no other was ever made.
void checkOnePrompt(const Run& run, const std::string& at) {
    check(run.prompt && run.prompt->entity == run.body && run.prompt->label == "Drag",
          at + "the drag prompt stands on the body");
    check(run.promptsBegun == 1, at + "one prompt was made in all");
}

std::optional<capture::Capture> onlyCapture(const Run& run, const std::string& at) {
    check(run.captures.size() == 1, at + "one capture file is left in the working folder");
    if (run.captures.size() != 1) {
        return std::nullopt;
    }
    auto read = capture::readCaptureFile(run.captures[0]);
    if (read.error) {
        std::printf("%s\n", capture::describe(*read.error).c_str());
    }
    check(read.capture.has_value(), at + "the capture file reads");
    return read.capture;
}

} // namespace

int main() {
    const fs::path scratch = fs::temp_directory_path() / ("pallbrook-capture-beside-shipped-" +
                                                          std::to_string(GetCurrentProcessId()));

    {
        const std::string at = "Pallbrook.asi alone: ";
        const Run run = runPlugins({Shipped}, scratch / "shipped");
        checkRun(run, 1, at);
        checkOnePrompt(run, at);
        check(run.captures.empty(), at + "no capture is written");
    }

    {
        const std::string at = "PallbrookCapture.asi alone: ";
        const Run run = runPlugins({CaptureBuild}, scratch / "capture");
        checkRun(run, 1, at);
        checkOnePrompt(run, at);
        if (auto captured = onlyCapture(run, at)) {
            check(captured->extent.ending == capture::CaptureEnding::Closed,
                  at + "the capture ends with the closing mark, not the stood-down one");
            check(!captured->frames.empty(), at + "the frames are recorded");
        }
    }

    const std::vector<std::vector<std::string>> orders = {{Shipped, CaptureBuild},
                                                          {CaptureBuild, Shipped}};
    for (const auto& order : orders) {
        const std::string at = "both, " + order[0] + " loaded first: ";
        const Run run = runPlugins(order, scratch / ("both-" + fs::path(order[0]).stem().string()));
        checkRun(run, 2, at);
        const ScriptTurns* shipped = run.script(Shipped);
        const ScriptTurns* captureBuild = run.script(CaptureBuild);
        check(shipped && shipped->nativeCalls > 0 && shipped->pedLists > 0,
              at + "the shipped plugin's script runs the drag feature");
        check(captureBuild && captureBuild->nativeCalls == 0 && captureBuild->pedLists == 0,
              at + "the capture build's script makes no native call and lists no peds");
        checkOnePrompt(run, at);
        if (auto captured = onlyCapture(run, at)) {
            check(captured->extent.ending == capture::CaptureEnding::StoodDown,
                  at + "the capture ends with the stood-down mark");
            check(captured->frames.empty(), at + "nothing is recorded");
        }
    }

    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return wine_checks::tally("wine capture beside shipped");
}
