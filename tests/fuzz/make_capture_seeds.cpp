// Writes the seed captures of the capture reader's fuzz target into a folder:
// small sessions of the capture tests' synthetic frames, each showing other
// records and endings.
//
//   pallbrook_make_capture_seeds tests/fuzz/seeds/captures
#include "capture/raw_chunks.h"
#include "capture/synthetic_frames.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace capture_test;

namespace {

void write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pallbrook_make_capture_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);

    Session idle; // closed at unload
    begin(idle);
    capture::recordSettingsFile(idle.encoder, "[Pallbrook]\nHoldTime=1000\n");
    for (std::uint32_t f = 0; f < 6; ++f) {
        idleFrame(idle, {100, 107, 114}, 1000 + 16 * f);
    }
    append(idle, capture::endCapture(idle.encoder));
    write(folder / "idle-closed.pbcap", idle.file);

    Session varied; // peds coming and going, a dictionary wait, a chunk a frame
    begin(varied);
    capture::recordNoSettingsFile(varied.encoder);
    std::vector<std::int32_t> peds = {100, 107, 114, 121};
    for (std::uint32_t f = 0; f < 8; ++f) {
        if (f == 3) {
            peds.erase(peds.begin());
        }
        if (f == 5) {
            peds.insert(peds.begin() + 1, -5);
        }
        idleFrame(varied, peds, 2000 + 16 * f);
        if (f == 6) {
            call(varied, {RequestDict, {7, 8}, {{0, "script@mech@drag"}}, {{1, 3}}, {0}});
            wait(varied);
        }
        flush(varied);
    }
    write(folder / "varied-chunks.pbcap", varied.file);

    Session cap; // stopped at the size cap inside a frame
    begin(cap);
    idleFrame(cap, {5, 6}, 16);
    call(cap, {GameTimer, {}, {}, {}, {32}});
    append(cap, capture::stopAtSizeCap(cap.encoder, 4096));
    write(folder / "size-cap.pbcap", cap.file);

    Session torn; // the last chunk cut in its middle
    begin(torn);
    idleFrame(torn, {1, 2, 3}, 16);
    flush(torn);
    idleFrame(torn, {1, 3}, 32);
    flush(torn);
    torn.file.resize(torn.file.size() - 5);
    write(folder / "torn-tail.pbcap", torn.file);

    // A byte of the first data chunk changed: its frames and those after it
    // are lost, the chunk after it is counted.
    Bytes damaged = varied.file;
    damaged[chunkStarts(damaged)[2] + capture::ChunkHeaderSize + 3] ^= 0x40;
    write(folder / "damaged-chunk.pbcap", damaged);
    return 0;
}
