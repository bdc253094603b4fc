#include "report/picture/picture_facts.h"

#include "printing/format.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace simtool {

namespace {

double pathLengthWhile(const Track& track, DragPhase phase) {
    double length = 0.0;
    for (std::size_t i = 1; i < track.samples.size(); ++i) {
        const Sample& a = track.samples[i - 1];
        const Sample& b = track.samples[i];
        if (b.phase == phase && a.phase == phase) {
            length += std::hypot(double(b.player.x) - a.player.x, double(b.player.y) - a.player.y);
        }
    }
    return length;
}

std::string counted(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "grabbed by the feet (frame 26)", or, for a grab point taken more than
// once, how often and from which frame to which.
std::vector<std::string> grabFacts(const Track& track) {
    struct Grabs {
        std::size_t count = 0;
        std::int64_t first = 0, last = 0;
    };
    std::vector<std::pair<std::string, Grabs>> byPoint; // in the order first taken
    for (const Marker& m : track.markers) {
        if (m.kind != Marker::Kind::GrabPoint) {
            continue;
        }
        const std::size_t open = m.label.find('(');
        const std::string point = open == std::string::npos
                                      ? m.label
                                      : m.label.substr(open + 1, m.label.size() - open - 2);
        auto found = std::find_if(byPoint.begin(), byPoint.end(),
                                  [&](const auto& entry) { return entry.first == point; });
        if (found == byPoint.end()) {
            byPoint.push_back({point, {0, m.frame, m.frame}});
            found = std::prev(byPoint.end());
        }
        ++found->second.count;
        found->second.last = m.frame;
    }
    std::vector<std::string> facts;
    for (const auto& [point, grabs] : byPoint) {
        facts.push_back("grabbed by the " + point +
                        (grabs.count == 1 ? " (frame " + std::to_string(grabs.first) + ")"
                                          : " " + std::to_string(grabs.count) + " times, frames " +
                                                std::to_string(grabs.first) + " to " +
                                                std::to_string(grabs.last)));
    }
    return facts;
}

// "marks: 600 prompts, 300 grab points, ...": the marks drawn, counted.
std::string markCounts(const Track& track) {
    std::map<Marker::Kind, std::size_t> counts;
    for (const Marker& m : track.markers) {
        ++counts[m.kind];
    }
    const std::pair<Marker::Kind, const char*> names[] = {
        {Marker::Kind::Prompt, "prompts"},     {Marker::Kind::GrabPoint, "grab points"},
        {Marker::Kind::Placement, "placings"}, {Marker::Kind::DragStart, "starts"},
        {Marker::Kind::DragEnd, "ends"},       {Marker::Kind::Drop, "bodies let go"}};
    std::string line = "marks:";
    for (const auto& [kind, name] : names) {
        line += " " + std::to_string(counts[kind]) + " " + name + ",";
    }
    line.pop_back();
    return line;
}

} // namespace

bool Labelling::covers(std::int64_t frame) const {
    return std::any_of(spans.begin(), spans.end(), [frame](const FrameSpan& span) {
        return frame >= span.first && frame <= span.last;
    });
}

std::set<std::int32_t> draggedBodies(const Track& track) {
    std::set<std::int32_t> bodies;
    for (const Sample& s : track.samples) {
        if (s.target != 0 && track.pedPaths.contains(s.target)) {
            bodies.insert(s.target);
        }
    }
    return bodies;
}

Labelling chooseLabelling(const Track& track, const std::set<std::int32_t>& bodies,
                          std::size_t others) {
    Labelling labelling;
    labelling.others = others;
    labelling.namesOthers = labelling.others <= EveryPedNamed;
    if (track.samples.empty()) {
        return labelling;
    }
    const FrameSpan all{track.samples.front().frame, track.samples.back().frame};
    const std::vector<FrameSpan> drags = dragSpans(track);
    if (drags.size() <= static_cast<std::size_t>(EveryDragLabelled)) {
        labelling.spans = {all};
    } else {
        labelling.spans = {{all.first, drags.front().last}, {drags.back().first, all.last}};
        for (const Marker& m : track.markers) {
            if (m.kind == Marker::Kind::DragStart) {
                labelling.drags.push_back(m.drag);
            }
        }
        labelling.drags = {labelling.drags.front(), labelling.drags.back()};
    }
    for (const Sample& s : track.samples) {
        if (s.target != 0 && bodies.contains(s.target) && labelling.covers(s.frame)) {
            labelling.bodies.insert(s.target);
        }
    }
    return labelling;
}

std::vector<std::string> runFacts(const Track& track, const PictureText& text,
                                  const Labelling& labelling, double gridStep,
                                  std::size_t labelsLeftOut) {
    std::vector<std::string> facts;
    if (!track.samples.empty()) {
        const Sample& first = track.samples.front();
        const Sample& last = track.samples.back();
        facts.push_back("frames " + std::to_string(first.frame) + " to " +
                        std::to_string(last.frame) + " (" +
                        fixed(static_cast<double>(first.timeMs) / 1000.0, 2) + " to " +
                        fixed(static_cast<double>(last.timeMs) / 1000.0, 2) + " s)");
    }
    for (std::string& grab : grabFacts(track)) {
        facts.push_back(std::move(grab));
    }
    // Numbered as the brief numbers them: a pick-up cut short is a drag too.
    const std::size_t drags = dragSpans(track).size();
    facts.push_back(counted(drags, "drag, ", "drags, ") +
                    fixed(pathLengthWhile(track, DragPhase::Dragging), 2) +
                    " m walked while dragging");
    if (!labelling.drags.empty()) {
        facts.push_back("labels for drags " + std::to_string(labelling.drags.front()) + " and " +
                        std::to_string(labelling.drags.back()) + " only; " + markCounts(track));
    }
    if (!labelling.namesOthers) {
        facts.push_back(counted(labelling.others, "other ped", "other peds") + ", not named");
    }
    if (labelsLeftOut > 0) {
        facts.push_back(counted(labelsLeftOut, "label", "labels") + " left out, too many");
    }
    if (text.fromCapture) {
        facts.push_back("places as the capture tells them; while dragging, the player's hands");
    }
    if (!track.samples.empty()) {
        facts.push_back(std::string("state at the end: ") + phaseName(track.samples.back().phase));
    }
    const double radius = std::fabs(track.detectionRadius);
    facts.push_back("DetectionRadius " + fixed(track.detectionRadius, 2) +
                    (std::isfinite(radius) && radius > 0.0
                         ? std::string(", drawn where no prompt stood")
                         : std::string(": no circle to draw")));
    facts.push_back("grid: " + fixed(gridStep, gridStep < 1.0 ? 2 : 0) + " m; north is up");
    return facts;
}

} // namespace simtool
