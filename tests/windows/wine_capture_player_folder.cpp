// A game folder that cannot take the capture: PallbrookCapture.asi writes it
// to the player's own folder, %LOCALAPPDATA%\Pallbrook\captures, made on the
// way, and without that folder plays on without recording. The game folder
// is made unable to take a capture by a folder already standing under each
// name a capture of the next two minutes could get.
#include "capture/format/reader/capture_reader.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "wine_checks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int Frames = 20;

using wine_checks::check;

fs::path programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

// Folders in the way of every capture name of the next two minutes.
void blockCaptureNames(const fs::path& game) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER at{};
    at.LowPart = now.dwLowDateTime;
    at.HighPart = now.dwHighDateTime;
    for (int second = 0; second < 120; ++second) {
        const FILETIME then{at.LowPart, at.HighPart};
        FILETIME local;
        SYSTEMTIME stamp;
        FileTimeToLocalFileTime(&then, &local);
        FileTimeToSystemTime(&local, &stamp);
        char name[64];
        std::snprintf(name, sizeof name, "Pallbrook-capture-%04u-%02u-%02u-%02u%02u%02u.pbcap",
                      stamp.wYear, stamp.wMonth, stamp.wDay, stamp.wHour, stamp.wMinute,
                      stamp.wSecond);
        fs::create_directories(game / name);
        at.QuadPart += 10'000'000; // one second in 100 ns steps
    }
}

std::vector<fs::path> captureFilesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        if (entry.is_regular_file() && entry.path().extension() == ".pbcap") {
            found.push_back(entry.path());
        }
    }
    return found;
}

// The capture build plays some frames with the game folder as the working
// folder, and is unloaded.
void playFrames(const fs::path& game) {
    fs::current_path(game);
    sim::resetHost();
    sim::installWorld();
    sim::addBody({0.0f, 1.5f, 0.0f});
    check(sim::loadPlugin((programFolder() / "PallbrookCapture.asi").string()),
          "PallbrookCapture.asi loads");
    for (int frame = 0; frame < Frames; ++frame) {
        sim::runFrame();
    }
    sim::unloadPlugin();
    fs::current_path(programFolder());
}

} // namespace

int main() {
    const fs::path scratch = fs::temp_directory_path() / ("pallbrook-capture-player-folder-" +
                                                          std::to_string(GetCurrentProcessId()));
    const fs::path game = scratch / "game";
    const fs::path player = scratch / "player";
    fs::remove_all(scratch);
    fs::create_directories(game);
    fs::create_directories(player); // %LOCALAPPDATA% itself is always there
    blockCaptureNames(game);

    SetEnvironmentVariableA("LOCALAPPDATA", player.string().c_str());
    playFrames(game);
    check(captureFilesIn(game).empty(), "no capture file in the game folder");
    const auto captures = captureFilesIn(player / "Pallbrook" / "captures");
    check(captures.size() == 1, "one capture in %LOCALAPPDATA%\\Pallbrook\\captures");
    if (captures.size() == 1) {
        const auto read = capture::readCaptureFile(captures[0]);
        check(read.capture && read.capture->extent.ending == capture::CaptureEnding::Closed &&
                  read.capture->frames.size() == Frames,
              "it reads, closed, with every frame");
    }

    // With no folder of the player's own, the plugin plays on unrecorded.
    SetEnvironmentVariableA("LOCALAPPDATA", nullptr);
    fs::remove_all(player);
    playFrames(game);
    check(sim::host().calls.size() > 0, "without the player's folder the plugin still plays");
    check(!fs::exists(player), "and nothing is written");

    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return wine_checks::tally("wine capture player folder");
}
