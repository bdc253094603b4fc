#include "capture_files/capture_info.h"

#include "capture_files/capture_open.h"
#include "plugin/natives.h"

#include <cinttypes>
#include <cstdio>
#include <string>
#include <string_view>

namespace simtool {

namespace {

// What the frames tell. A drag runs from the frame in which the plugin
// freezes the body for the first drag frame to the last frame in which it
// does a dragging frame's work, whose every frame calls FreezeEntity on the
// body. Frames that do not read the game timer (the waits for an animation
// dictionary inside a frame) neither continue a drag nor end it.
struct FrameTally {
    std::uint64_t frames = 0;
    std::uint64_t events = 0;
    bool timerSeen = false;
    std::uint32_t lastTimer = 0;
    std::int64_t gameTimeMs = 0; // from the first timer answer to the last
    std::uint64_t dragsBegun = 0;
    std::uint64_t dragsEnded = 0;
    bool dragging = false;
};

void tallyFrame(FrameTally& tally, const capture::EventFrame& frame) {
    ++tally.frames;
    tally.events += frame.events.size();
    bool readsTimer = false;
    bool dragWork = false;
    for (const capture::FrameEvent& event : frame.events) {
        if (event.kind != capture::EventKind::NativeCall) {
            continue;
        }
        const auto args = capture::argsOf(frame, event);
        const auto result = capture::resultOf(frame, event);
        if (event.hash == natives::GameTimer && !result.empty()) {
            const auto now = static_cast<std::uint32_t>(result[0]);
            if (tally.timerSeen) {
                tally.gameTimeMs += static_cast<std::int32_t>(now - tally.lastTimer);
            }
            tally.lastTimer = now;
            tally.timerSeen = true;
            readsTimer = true;
        } else if (event.hash == natives::FreezeEntity && args.size() == 2) {
            dragWork = true;
            if (args[1] == 1 && !tally.dragging) {
                ++tally.dragsBegun;
                tally.dragging = true;
            }
        }
    }
    if (readsTimer && !dragWork && tally.dragging) {
        ++tally.dragsEnded;
        tally.dragging = false;
    }
}

std::string settingsLine(const capture::CapturedSettings& settings) {
    switch (settings.found) {
    case capture::SettingsFound::NotRecorded:
        return "not recorded";
    case capture::SettingsFound::NoFile:
        return "none (the game had no Pallbrook.ini)";
    case capture::SettingsFound::File:
        return "Pallbrook.ini, " + std::to_string(settings.bytes.size()) + " bytes:";
    case capture::SettingsFound::FileCut:
        return "Pallbrook.ini, cut to its first " + std::to_string(settings.bytes.size()) +
               " bytes:";
    }
    return "?";
}

std::string endingLine(const capture::CaptureExtent& extent, std::uint64_t frames) {
    std::string line = capture::endingName(extent.ending);
    if (extent.ending == capture::CaptureEnding::SizeCapReached) {
        line += " (" + std::to_string(extent.sizeCap) + " bytes)";
    } else if (extent.ending == capture::CaptureEnding::TornTail ||
               extent.ending == capture::CaptureEnding::Damaged) {
        line += ": " + capture::endingDetails(extent, frames);
    }
    return line;
}

void printSettings(const capture::CapturedSettings& settings) {
    std::printf("settings: %s\n", settingsLine(settings).c_str());
    if (settings.found != capture::SettingsFound::File &&
        settings.found != capture::SettingsFound::FileCut) {
        return;
    }
    // The bytes an editor hides but the plugin's reader does not skip: a byte
    // order mark, and a CR alone, which ends no line for it.
    const std::string_view bom = "\xEF\xBB\xBF";
    const std::string& bytes = settings.bytes;
    std::string line;
    bool marked = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 && bytes.starts_with(bom)) {
            line += "<BOM>";
            i += bom.size() - 1;
            marked = true;
        } else if (bytes[i] == '\n') {
            std::printf("  | %s\n", line.c_str());
            line.clear();
        } else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            line += "<CR>";
            marked = true;
        } else if (bytes[i] != '\r') {
            line += bytes[i];
        }
    }
    if (!line.empty()) {
        std::printf("  | %s\n", line.c_str());
    }
    if (marked) {
        std::puts("  (<BOM>: a byte order mark; <CR>: a CR alone, which ends no line for the "
                  "plugin)");
    }
}

} // namespace

int printCaptureInfo(const std::string& file) {
    OpenedCapture opened;
    if (!openCaptureFile(file, opened)) {
        return 2;
    }
    capture::CaptureFrameReader& reader = opened.reader;
    FrameTally tally;
    const capture::EventFrame* frame = nullptr;
    capture::CaptureReadError error;
    for (;;) {
        const capture::FrameRead read = capture::readNextEventFrame(reader, frame, error);
        if (read == capture::FrameRead::Failed) {
            reportRefused(file, error);
            return 2;
        }
        if (read == capture::FrameRead::Finished) {
            break;
        }
        tallyFrame(tally, *frame);
    }
    const capture::CaptureHeader& header = reader.header;
    std::printf("format version %" PRIu32 "\n", header.formatVersion);
    std::printf("plugin %s; %s\n", header.pluginVersion.c_str(), header.buildIdentity.c_str());
    printSettings(reader.settings);
    std::printf("frames: %" PRIu64 " (%" PRIu64 " events), game time %.1f s\n", tally.frames,
                tally.events, static_cast<double>(tally.gameTimeMs) / 1000.0);
    std::printf("chunks: %zu in %zu bytes; ending: %s\n", reader.extent.chunks,
                reader.extent.keptBytes, endingLine(reader.extent, tally.frames).c_str());
    std::printf("drags: %" PRIu64 " begun, %" PRIu64 " ended\n", tally.dragsBegun,
                tally.dragsEnded);
    return 0;
}

} // namespace simtool
