#include "report/track_part.h"

#include <algorithm>
#include <charconv>

namespace simtool {

namespace {

// A whole number from 1, the whole text.
std::optional<std::int64_t> countingNumber(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 1) {
        return std::nullopt;
    }
    return value;
}

std::string frameRange(const Track& track) {
    return "frames " + std::to_string(track.samples.front().frame) + " to " +
           std::to_string(track.samples.back().frame);
}

} // namespace

std::optional<std::string> readFrameSpan(const std::string& text, FrameSpan& span) {
    const std::size_t dash = text.find('-');
    const std::int64_t first =
        dash == std::string::npos ? 0 : countingNumber(text.substr(0, dash)).value_or(0);
    const std::int64_t last =
        dash == std::string::npos ? 0 : countingNumber(text.substr(dash + 1)).value_or(0);
    if (first == 0 || last == 0) {
        return "--frames " + text +
               ": expected FIRST-LAST, two frame numbers from 1 (e.g. 120-480)";
    }
    if (first > last) {
        return "--frames " + text + ": the first frame comes after the last";
    }
    span = {first, last};
    return std::nullopt;
}

std::optional<std::string> readDragNumber(const std::string& text, int& drag) {
    const auto number = countingNumber(text);
    if (!number || *number > 1000000000) {
        return "--drag " + text + ": expected a drag's number, from 1, as the brief numbers them";
    }
    drag = static_cast<int>(*number);
    return std::nullopt;
}

std::vector<FrameSpan> dragSpans(const Track& track) {
    // Each stretch of frames out of Idle is one drag, from its pick-up on,
    // whether or not the pick-up was cut short.
    std::vector<FrameSpan> spans;
    const std::vector<Sample>& samples = track.samples;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].phase == DragPhase::Idle) {
            continue;
        }
        const std::int64_t first = samples[i].frame;
        while (i + 1 < samples.size() && samples[i + 1].phase != DragPhase::Idle) {
            ++i;
        }
        // Up to the frame the player is idle again, if the run has it.
        spans.push_back({first, samples[std::min(i + 1, samples.size() - 1)].frame});
    }
    return spans;
}

std::optional<std::string> chooseFrames(const Track& track, const PartChoice& choice,
                                        FrameSpan& chosen) {
    if (track.samples.empty()) {
        return std::string("the run has no frames to draw");
    }
    chosen = {track.samples.front().frame, track.samples.back().frame};
    if (choice.frames) {
        if (choice.frames->first < chosen.first || choice.frames->last > chosen.last) {
            return "--frames " + std::to_string(choice.frames->first) + "-" +
                   std::to_string(choice.frames->last) + ": the run has " + frameRange(track);
        }
        chosen = *choice.frames;
    }
    if (choice.drag) {
        const std::vector<FrameSpan> spans = dragSpans(track);
        const auto count = static_cast<int>(spans.size());
        if (*choice.drag > count) {
            return "--drag " + std::to_string(*choice.drag) + ": the run has " +
                   (count == 0   ? std::string("no drag")
                    : count == 1 ? std::string("one drag, drag 1")
                                 : std::to_string(count) + " drags, 1 to " + std::to_string(count));
        }
        chosen = spans[static_cast<std::size_t>(*choice.drag - 1)];
    }
    return std::nullopt;
}

Track partOf(const Track& track, FrameSpan span) {
    const auto within = [&span](std::int64_t frame) {
        return frame >= span.first && frame <= span.last;
    };
    Track part;
    part.player = track.player;
    part.detectionRadius = track.detectionRadius;
    std::copy_if(track.samples.begin(), track.samples.end(), std::back_inserter(part.samples),
                 [&](const Sample& s) { return within(s.frame); });
    std::copy_if(track.markers.begin(), track.markers.end(), std::back_inserter(part.markers),
                 [&](const Marker& m) { return within(m.frame); });
    for (const auto& [handle, path] : track.pedPaths) {
        std::vector<PathPoint> points;
        for (const PathPoint& p : path) {
            if (p.frame <= span.first) {
                points.assign(1, p); // where the ped was when the part began
            } else if (p.frame <= span.last) {
                points.push_back(p);
            }
        }
        if (!points.empty()) {
            part.pedPaths[handle] = std::move(points);
            auto look = track.looks.find(handle);
            if (look != track.looks.end()) {
                part.looks[handle] = look->second;
            }
        }
    }
    return part;
}

} // namespace simtool
