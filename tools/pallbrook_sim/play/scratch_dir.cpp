#include "play/scratch_dir.h"

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace simtool {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(const std::optional<std::string>& settings, const fs::path& keptFolder) {
    previous_ = fs::current_path();
    keep_ = !keptFolder.empty();
    if (keep_) {
        fs::create_directories(keptFolder);
        folder_ = keptFolder;
    }
    auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    fs::path base = fs::temp_directory_path();
    for (unsigned attempt = 0; !keep_; ++attempt) {
        fs::path candidate = base / ("pallbrook-sim-" + std::to_string(seed + attempt));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            folder_ = candidate;
            break;
        }
        if (attempt > 1000) {
            throw std::runtime_error("cannot make a working folder in " + base.string());
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
        std::error_code error;
        fs::remove(folder_ / "Pallbrook.ini", error);
        if (error) {
            throw std::runtime_error("cannot remove the Pallbrook.ini in " + folder_.string());
        }
    }
    fs::current_path(folder_);
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    fs::current_path(previous_, error);
    if (!keep_) {
        fs::remove_all(folder_, error);
    }
}

} // namespace simtool
