#include "capture/layer/capture_session.h"

#include "capture/format/capture_format.h"
#include "capture/layer/capture_platform.h"
#include "capture/layer/live_text.h"
#include "capture/layer/native_kinds.h"
#include "plugin/natives.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace capture {

CaptureStateRecord CaptureState;

namespace {

#ifndef PALLBROOK_BUILD_IDENTITY
#define PALLBROOK_BUILD_IDENTITY "unknown build"
#endif
#ifndef PALLBROOK_VERSION
#define PALLBROOK_VERSION "unknown version"
#endif

// Reused from call to call.
std::array<TextArg, MaxArgs> scratchTexts;
std::array<SlotEntry, MaxArgs> scratchSlots;

void closeFile() noexcept {
    if (CaptureState.file != nullptr) {
        std::fclose(CaptureState.file);
        CaptureState.file = nullptr;
    }
    CaptureState.recording = false;
}

// Appends whole chunks to the file, in one write. A short write (a full disk)
// ends the capture; what is in the file stays readable up to its last whole
// chunk.
void writeOut(std::span<const std::uint8_t> bytes) noexcept {
    if (CaptureState.file == nullptr || bytes.empty()) {
        return;
    }
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), CaptureState.file);
    CaptureState.bytesWritten += written;
    if (written != bytes.size()) {
        closeFile();
    }
}

bool fileExists(const std::string& name) {
    if (std::FILE* existing = std::fopen(name.c_str(), "rb")) {
        std::fclose(existing);
        return true;
    }
    return false;
}

// A name no file in the folder has yet (a path ending with its separator, or
// empty: the working folder): a second
// capture within the same second gets a number after the time.
std::string freshFileName(const std::string& folder) {
    const std::string stem = folder + "Pallbrook-capture-" + localTimeStamp();
    std::string name = stem + ".pbcap";
    for (int n = 2; fileExists(name) && n < 1000; ++n) {
        name = stem + "-" + std::to_string(n) + ".pbcap";
    }
    return name;
}

// The new capture's file, in the working folder, or in the player's own
// capture folder when the working folder cannot be written.
bool openCaptureFile() {
    CaptureState.fileName =
        CaptureState.options.fileName.empty() ? freshFileName({}) : CaptureState.options.fileName;
    CaptureState.file = std::fopen(CaptureState.fileName.c_str(), "wb");
    if (CaptureState.file == nullptr && CaptureState.options.fileName.empty()) {
        const std::string folder = playerCaptureFolder();
        if (!folder.empty()) {
            CaptureState.fileName = freshFileName(folder);
            CaptureState.file = std::fopen(CaptureState.fileName.c_str(), "wb");
        }
    }
    if (CaptureState.file == nullptr) {
        return false;
    }
    // Unbuffered: each flush of the encoder is one write to the system.
    std::setvbuf(CaptureState.file, nullptr, _IONBF, 0);
    return true;
}

// The settings file as the plugin is about to read it. A file larger than a
// capture keeps is read one byte further, so that the encoder marks it cut.
void recordSettings() {
    std::FILE* settings = std::fopen("Pallbrook.ini", "rb");
    if (settings == nullptr) {
        recordNoSettingsFile(CaptureState.encoder);
        return;
    }
    std::vector<char> bytes;
    char block[4096];
    std::size_t got = 0;
    while (bytes.size() <= MaxSettingsBytes &&
           (got = std::fread(block, 1, sizeof block, settings)) > 0) {
        bytes.insert(bytes.end(), block, block + got);
    }
    std::fclose(settings);
    recordSettingsFile(CaptureState.encoder, std::string_view(bytes.data(), bytes.size()));
}

CallShape& fillCallShape(CallShape& shape, std::uint64_t hash) {
    shape = {hash, findNativeKinds(hash), 0, 3, hash == natives::GameTimer, true};
    if (shape.kinds != nullptr) {
        shape.resultWords = resultWordCount(shape.kinds->result);
        for (std::size_t i = 0; i < shape.kinds->args.size() && i < MaxArgs; ++i) {
            const char kind = shape.kinds->args[i];
            if (isTextArg(kind) || isSlotArg(kind)) {
                shape.pointerArgs |= std::uint32_t{1} << i;
            }
        }
    }
    return shape;
}

// The shape of a native not in its own slot of the table, looked up once per
// hash: from its slot on to the first slot that holds it or is empty. A table
// full of other hashes gives up the native's own slot.
__attribute__((noinline)) const CallShape& findCallShape(std::uint64_t hash) {
    auto& table = CaptureState.callShapes;
    const std::size_t home = hashCacheSlot(hash);
    for (std::size_t i = home; i < home + table.size(); ++i) {
        CallShape& shape = table[i % table.size()];
        if (shape.filled && shape.hash == hash) {
            return shape;
        }
        if (!shape.filled) {
            return fillCallShape(shape, hash);
        }
    }
    return fillCallShape(table[home], hash);
}

// Most natives are found in their own slot at once.
const CallShape& callShapeOf(std::uint64_t hash) {
    const CallShape& shape = CaptureState.callShapes[hashCacheSlot(hash)];
    return shape.filled && shape.hash == hash ? shape : findCallShape(hash);
}

void flushIfDue() noexcept {
    ++CaptureState.framesSinceFlush;
    // The timer wraps: the time since the last chunk as a wrapping difference.
    const auto sinceFlush =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(CaptureState.gameTime) -
                                  static_cast<std::uint32_t>(CaptureState.flushedAt));
    const bool secondPassed = CaptureState.timerSeen && sinceFlush >= FlushEveryMs;
    if (!secondPassed && CaptureState.framesSinceFlush < FlushEveryFrames) {
        return;
    }
    CaptureState.flushedAt = CaptureState.gameTime;
    CaptureState.framesSinceFlush = 0;
    if (CaptureState.bytesWritten >= CaptureState.options.sizeCap) {
        writeOut(stopAtSizeCap(CaptureState.encoder, CaptureState.options.sizeCap));
        closeFile();
        return;
    }
    writeOut(flushCapture(CaptureState.encoder));
}

// A capture under way gets its closing mark, then the file is closed.
void closeWith(std::span<const std::uint8_t> (*mark)(CaptureEncoder&)) noexcept {
    if (CaptureState.recording) {
        try {
            writeOut(mark(CaptureState.encoder));
        } catch (...) {
        }
    }
    closeFile();
}

void noteGameTime(const std::uint64_t* answer) {
    CaptureState.gameTime = static_cast<std::int32_t>(answer[0]);
    if (!CaptureState.timerSeen) {
        CaptureState.timerSeen = true;
        CaptureState.flushedAt = CaptureState.gameTime;
    }
}

// A call with texts or slots, or without an answer: its texts and slots read
// where they are, and all of it compared with the repeated frame or recorded.
__attribute__((noinline)) void recordCallInFull(const CallShape& shape,
                                                const std::uint64_t* answer) noexcept {
    try {
        const std::size_t argCount = std::min(CaptureState.argCount, MaxArgs);
        std::size_t textCount = 0;
        std::size_t slotCount = 0;
        for (std::uint32_t pointers = shape.pointerArgs; pointers != 0; pointers &= pointers - 1) {
            const auto i = static_cast<std::uint32_t>(std::countr_zero(pointers));
            const std::uint64_t word = i < argCount ? CaptureState.args[i] : 0;
            if (word == 0) {
                continue;
            }
            if (isTextArg(shape.kinds->args[i])) {
                scratchTexts[textCount++] = {i, liveText(reinterpret_cast<const char*>(word))};
            } else {
                std::uint32_t value = 0;
                std::memcpy(&value, reinterpret_cast<const void*>(word), sizeof value);
                scratchSlots[slotCount++] = {i, value};
            }
        }
        recordNativeCall(CaptureState.encoder,
                         {CaptureState.hash,
                          {CaptureState.args.data(), argCount},
                          {scratchTexts.data(), textCount},
                          {scratchSlots.data(), slotCount},
                          {answer, answer == nullptr ? 0 : shape.resultWords}});
    } catch (...) {
        closeFile();
    }
}

// The call just made, of a native with no texts or slots.
NativeCallRecord plainCall(const std::uint64_t* answer, std::size_t resultWords) {
    return {CaptureState.hash,
            {CaptureState.args.data(), std::min(CaptureState.argCount, MaxArgs)},
            {},
            {},
            {answer, resultWords}};
}

// A call with no texts or slots that the repeated frame does not take: it
// goes into the current frame, compared no more.
__attribute__((noinline)) void recordPlainCallThatDiffers(const std::uint64_t* answer,
                                                          std::size_t resultWords) noexcept {
    try {
        recordCallThatDiffers(CaptureState.encoder, plainCall(answer, resultWords));
    } catch (...) {
        closeFile();
    }
}

} // namespace

void startCapture() noexcept {
    finishCapture();
    try {
        if (!openCaptureFile()) {
            return;
        }
        CaptureState.bytesWritten = 0;
        CaptureState.timerSeen = false;
        CaptureState.framesSinceFlush = 0;
        CaptureState.recording = true;
        beginCapture(CaptureState.encoder, PALLBROOK_VERSION, PALLBROOK_BUILD_IDENTITY);
        recordSettings();
        writeOut(flushCapture(CaptureState.encoder));
    } catch (...) {
        closeFile();
    }
}

void finishCapture() noexcept {
    closeWith(endCapture);
}

void standDown() noexcept {
    closeWith(endStoodDown);
}
void recordCall(const unsigned long long* result) noexcept {
    if (!CaptureState.recording) {
        return;
    }
    const CallShape& shape = callShapeOf(CaptureState.hash);
    // The answer is read where the host keeps it, before any other host call.
    const auto* answer = reinterpret_cast<const std::uint64_t*>(result);
    if (shape.gameTimer && answer != nullptr) {
        noteGameTime(answer);
    }
    // Most calls, of natives with no texts or slots, are compared with the
    // repeated frame at once, nothing allocated.
    if (shape.pointerArgs == 0 && answer != nullptr) {
        if (!noteRepeatedCall(CaptureState.encoder, plainCall(answer, shape.resultWords))) {
            recordPlainCallThatDiffers(answer, shape.resultWords);
        }
        return;
    }
    recordCallInFull(shape, answer);
}

void recordPeds(const int* array, int arraySize, int returned) noexcept {
    if (!CaptureState.recording) {
        return;
    }
    try {
        const int written = std::max(0, std::min(returned, arraySize));
        recordPedsAnswer(CaptureState.encoder, arraySize,
                         {array, static_cast<std::size_t>(written)}, returned);
    } catch (...) {
        closeFile();
    }
}

void recordFrameEnd(unsigned long ms) noexcept {
    if (!CaptureState.recording) {
        return;
    }
    try {
        recordWait(CaptureState.encoder, static_cast<std::uint32_t>(ms));
        flushIfDue();
    } catch (...) {
        closeFile();
    }
}

} // namespace capture
