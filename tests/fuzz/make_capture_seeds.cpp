// Writes the seed captures of the capture reader's fuzz target into a folder:
// small sessions through the real encoder, each showing other records.
//
//   pallbrook_make_capture_seeds tests/fuzz/seeds/captures
#include "capture/capture_encoder.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Seed {
    capture::CaptureEncoder encoder;
    Bytes file;
};

void take(Seed& seed, std::span<const std::uint8_t> bytes) {
    seed.file.insert(seed.file.end(), bytes.begin(), bytes.end());
}

std::uint64_t floatWord(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

void call(Seed& seed, std::uint64_t hash, std::vector<std::uint64_t> args,
          std::vector<std::uint64_t> result, std::vector<capture::TextArg> texts = {},
          std::vector<capture::SlotArg> slots = {}) {
    capture::recordNativeCall(seed.encoder, {hash, args, texts, slots, result});
}

// A frame of the drag search: the timer, the player, the ped list and a few
// calls for each ped.
void searchFrame(Seed& seed, const std::vector<std::int32_t>& peds, std::uint32_t timer,
                 bool withPrompt) {
    call(seed, 0x4F67E8ECA7D3F667, {}, {timer});
    call(seed, 0xA86D5F069399F44D, {42, 1, 0},
         {floatWord(1.5f), floatWord(-2.0f), floatWord(40.0f)});
    capture::recordPedsAnswer(seed.encoder, 1024, peds, static_cast<std::int32_t>(peds.size()));
    for (std::int32_t ped : peds) {
        const auto h = static_cast<std::uint64_t>(static_cast<std::uint32_t>(ped));
        call(seed, 0xD42BD6EB2E0F1677, {h}, {1});
        call(seed, 0x3317DEDB88C95038, {h, 0}, {ped % 2 == 0 ? 1u : 0u});
    }
    if (withPrompt) {
        call(seed, 0x5DD02A8318420DD7, {0x7FFE1000, 0x7FFE2000, 17}, {9}, {{0, "Drag"}},
             {{1, timer / 2}});
    }
    capture::recordWait(seed.encoder, 0);
}

void write(const std::filesystem::path& folder, const char* name, const Bytes& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
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

    {
        // Idle frames, closed at unload.
        Seed seed;
        capture::beginCapture(seed.encoder, "0.1.0", "seed idle");
        capture::recordSettingsFile(seed.encoder, "[Pallbrook]\nHoldTime=1000\n");
        for (std::uint32_t f = 0; f < 6; ++f) {
            searchFrame(seed, {100, 107, 114}, 1000 + 16 * f, false);
        }
        take(seed, capture::endCapture(seed.encoder));
        write(folder, "idle-closed.pbcap", seed.file);
    }
    {
        // Peds coming and going, texts and slots, a dictionary wait inside a
        // frame, a chunk after every frame.
        Seed seed;
        capture::beginCapture(seed.encoder, "0.1.0", "seed varied");
        capture::recordNoSettingsFile(seed.encoder);
        std::vector<std::int32_t> peds = {100, 107, 114, 121};
        for (std::uint32_t f = 0; f < 8; ++f) {
            if (f == 3) {
                peds.erase(peds.begin() + 1);
            }
            if (f == 5) {
                peds.insert(peds.begin() + 2, -5);
            }
            searchFrame(seed, peds, 2000 + 16 * f, f % 2 == 1);
            if (f == 6) {
                const capture::TextArg dict{0, "script@mech@drag"};
                call(seed, 0xA862A2AD321F94B4, {0x7FFE3000}, {0}, {dict});
                capture::recordWait(seed.encoder, 0);
                call(seed, 0xA862A2AD321F94B4, {0x7FFE3000}, {1}, {dict});
            }
            take(seed, capture::flushCapture(seed.encoder));
        }
        write(folder, "varied-chunks.pbcap", seed.file);
    }
    {
        // Stopped at the size cap, inside a frame.
        Seed seed;
        capture::beginCapture(seed.encoder, "0.1.0", "seed cap");
        for (std::uint32_t f = 0; f < 3; ++f) {
            searchFrame(seed, {5, 6}, 16 * f, true);
        }
        call(seed, 0x4F67E8ECA7D3F667, {}, {48});
        take(seed, capture::stopAtSizeCap(seed.encoder, 4096));
        write(folder, "size-cap.pbcap", seed.file);
    }
    {
        // A torn tail: the last chunk cut in its middle.
        Seed seed;
        capture::beginCapture(seed.encoder, "0.1.0", "seed torn");
        searchFrame(seed, {1, 2, 3}, 16, false);
        take(seed, capture::flushCapture(seed.encoder));
        searchFrame(seed, {1, 3}, 32, true);
        take(seed, capture::flushCapture(seed.encoder));
        seed.file.resize(seed.file.size() - 5);
        write(folder, "torn-tail.pbcap", seed.file);
    }
    std::printf("seeds written to %s\n", folder.string().c_str());
    return 0;
}
