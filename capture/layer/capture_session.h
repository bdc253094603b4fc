// One capture: the file, the encoder, and the native call under way at the
// seam. A capture runs from the script's start to unload (or the next
// start), into Pallbrook-capture-<local date>-<time>.pbcap in the game's
// folder, or in the player's capture folder when that cannot be written.
// Capturing never changes what the plugin does: a failure stops the capture,
// and the plugin plays on.
#pragma once

#include "capture/format/capture_format.h"
#include "capture/format/writer/capture_encoder.h"
#include "capture/layer/native_kinds.h"
#include "plugin/host_api.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

inline constexpr std::uint64_t DefaultSizeCap = std::uint64_t{1} << 30; // 1 GiB
// A chunk is written at least once a second of game time, and at the latest
// after this many frames when the game timer stands still.
inline constexpr std::int32_t FlushEveryMs = 1000;
inline constexpr std::uint32_t FlushEveryFrames = 240;

// What the layer needs to know of a native, looked up once per hash: which
// arguments point at texts or slots, and how many result words it gives. A
// small table indexed by the hash, as the calls of a frame repeat.
struct CallShape {
    std::uint64_t hash = 0;
    const NativeKinds* kinds = nullptr;
    std::uint32_t pointerArgs = 0; // bit i: argument i is a text or a slot
    std::size_t resultWords = 3;   // a native we do not know: all three words
    bool gameTimer = false;        // the native the flush once a second goes by
    bool filled = false;
};

// Set by the programs that link the capture layer into the stand-in host.
struct CaptureOptions {
    std::uint64_t sizeCap = DefaultSizeCap;
    std::string fileName; // empty: the dated name in the working folder
    bool pretendShippedPluginLoaded = false;
    // The folder the platform gives as the player's own; empty: none.
    std::string playerFolder;
};

struct CaptureStateRecord {
    CaptureOptions options;
    CaptureEncoder encoder;
    std::FILE* file = nullptr;
    std::string fileName;
    std::uint64_t bytesWritten = 0;
    bool recording = false;

    ScriptEntry pluginEntry = nullptr;

    std::array<CallShape, HashCacheSize> callShapes;

    // The native call under way.
    std::uint64_t hash = 0;
    std::array<std::uint64_t, MaxArgs> args{};
    std::size_t argCount = 0;

    // When the last chunk went out, by the game timer the plugin reads.
    bool timerSeen = false;
    std::int32_t gameTime = 0;
    std::int32_t flushedAt = 0;
    std::uint32_t framesSinceFlush = 0;
};

extern CaptureStateRecord CaptureState;

// Opens a new capture file and records its header and the settings file. On
// any failure the capture is off and the plugin plays on.
void startCapture() noexcept;
// The closing mark, the last chunk, and the file closed.
void finishCapture() noexcept;
// The shipped plugin is loaded too, so this build runs no drag feature: the
// file ends with a mark that says so, and nothing more is recorded.
void standDown() noexcept;

// What the seam records; each does nothing while no capture is on.
void recordCall(const unsigned long long* result) noexcept;
void recordPeds(const int* array, int arraySize, int returned) noexcept;
void recordFrameEnd(unsigned long ms) noexcept;

} // namespace capture
