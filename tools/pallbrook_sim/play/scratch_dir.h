// A fresh working directory for one run, holding the run's Pallbrook.ini;
// the plugin reads its settings from the working directory. The previous
// working directory comes back, and the folder goes, when the run ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace simtool {

class ScratchDir {
  public:
    // Makes the folder, writes Pallbrook.ini when settings text is given (and
    // else refuses a folder that holds one), and makes the folder the working
    // directory. Throws std::runtime_error.
    // With a folder of the caller's, that folder is used (made if missing)
    // and kept, with what the plugin left there.
    explicit ScratchDir(const std::optional<std::string>& settings,
                        const std::filesystem::path& keptFolder = {});
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

  private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
    bool keep_ = false;
};

} // namespace simtool
