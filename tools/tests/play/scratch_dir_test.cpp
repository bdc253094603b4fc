// The working folder of a run: a kept folder holds the run's own settings;
// one that holds settings is refused to a run that has none, and left as it
// is.
#include "play/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScratchDir, AKeptFolderHoldsTheSettingsOfThisRunOrNone) {
    const fs::path folder = fs::temp_directory_path() / "pallbrook-scratch-dir-test";
    fs::remove_all(folder);
    {
        simtool::ScratchDir run(std::string("[Pallbrook]\nHoldTime=250\n"), folder);
        EXPECT_EQ(readFile("Pallbrook.ini"), "[Pallbrook]\nHoldTime=250\n");
    }
    EXPECT_TRUE(fs::exists(folder / "Pallbrook.ini")) << "a kept folder keeps what the run left";
    // The plugin would read them, and they may be the user's own: refused,
    // and left as they are.
    EXPECT_THROW(simtool::ScratchDir(std::nullopt, folder), std::runtime_error);
    EXPECT_EQ(readFile(folder / "Pallbrook.ini"), "[Pallbrook]\nHoldTime=250\n");
    fs::remove_all(folder);
}

} // namespace
