#include "play/scratch_dir.h"

#include "files/output_file.h"

#include <chrono>
#include <stdexcept>

namespace simtool {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void cannot(const std::string& what, const fs::path& where,
                         const std::error_code& error) {
    throw std::runtime_error("cannot " + what + " " + where.string() + " (" + error.message() +
                             ")");
}

} // namespace

ScratchDir::ScratchDir(const std::optional<std::string>& settings, const fs::path& keptFolder) {
    std::error_code error;
    previous_ = fs::current_path(error);
    if (error) {
        cannot("tell the current folder", ".", error);
    }
    keep_ = !keptFolder.empty();
    if (keep_) {
        fs::create_directories(keptFolder, error);
        if (error) {
            cannot("make the folder", keptFolder, error);
        }
        folder_ = keptFolder;
    }
    auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    fs::path base = keep_ ? fs::path() : fs::temp_directory_path(error);
    if (error) {
        throw std::runtime_error("cannot find a folder for temporary files (" + error.message() +
                                 ")");
    }
    for (unsigned attempt = 0; !keep_; ++attempt) {
        fs::path candidate = base / ("pallbrook-sim-" + std::to_string(seed + attempt));
        if (fs::create_directory(candidate, error)) {
            folder_ = candidate;
            break;
        }
        if (attempt > 1000) {
            cannot("make a working folder in", base, error);
        }
    }
    if (settings) {
        OutputFile file;
        std::string why;
        if (!file.open((folder_ / "Pallbrook.ini").string(), why) ||
            !(file.stream() << *settings) || !file.keep(why)) {
            throw std::runtime_error("cannot write Pallbrook.ini in " + folder_.string() + " (" +
                                     why + ")");
        }
    } else if (fs::exists(folder_ / "Pallbrook.ini", error)) {
        // A kept folder may hold the settings of an earlier run, which the
        // plugin would read; they are the user's to remove.
        throw std::runtime_error(folder_.string() +
                                 " holds a Pallbrook.ini and the scenario has no settings: the "
                                 "plugin would read it");
    }
    fs::current_path(folder_, error);
    if (error) {
        cannot("work in the folder", folder_, error);
    }
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    fs::current_path(previous_, error);
    if (!keep_) {
        fs::remove_all(folder_, error);
    }
}

} // namespace simtool
