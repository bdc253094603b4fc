#include "play/scratch_dir.h"

#include <chrono>
#include <fstream>
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
        std::ofstream file(folder_ / "Pallbrook.ini", std::ios::binary);
        file << *settings;
        if (!file) {
            throw std::runtime_error("cannot write Pallbrook.ini in " + folder_.string());
        }
    } else {
        // A kept folder may hold the settings of an earlier run: the run
        // without settings must not read them.
        fs::remove(folder_ / "Pallbrook.ini", error);
        if (error) {
            cannot("remove the Pallbrook.ini in", folder_, error);
        }
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
