#include "report/picture/picture.h"

#include "printing/format.h"
#include "printing/names.h"
#include "report/picture/picture_frame.h"
#include "report/picture/svg.h"

#include "sim/world/geometry.h"
#include "sim/world/world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

namespace simtool {

namespace {

const char* phaseColour(DragPhase phase) {
    switch (phase) {
    case DragPhase::Idle:
        return "#9aa0a6";
    case DragPhase::PickingUp:
        return "#e8a33d";
    case DragPhase::Dragging:
        return "#2f6fdf";
    case DragPhase::PuttingDown:
        return "#8e44ad";
    }
    return "#000";
}

constexpr const char* BodyColour = "#8c5a3c";
constexpr const char* PromptColour = "#0f8b8d";
constexpr const char* GrabColour = "#d62f2f";
constexpr const char* Halo = R"(stroke="#fbfaf7" stroke-width="3" paint-order="stroke")";

void grid(Svg& svg, const PictureFrame& frame) {
    double step = frame.gridStep();
    svg.rect({frame.left, frame.top}, frame.width, frame.height,
             R"(fill="#ffffff" stroke="#d8d4cb" stroke-width="1")");
    for (double x = std::ceil(frame.minX / step) * step; x <= frame.maxX; x += step) {
        double px = frame.at({static_cast<float>(x), 0.0f, 0.0f}).x;
        svg.line({px, frame.top}, {px, frame.top + frame.height},
                 R"(stroke="#eeebe4" stroke-width="1")");
    }
    for (double y = std::ceil(frame.minY / step) * step; y <= frame.maxY; y += step) {
        double py = frame.at({0.0f, static_cast<float>(y), 0.0f}).y;
        svg.line({frame.left, py}, {frame.left + frame.width, py},
                 R"(stroke="#eeebe4" stroke-width="1")");
    }
}

void scaleAndNorth(Svg& svg, const PictureFrame& frame) {
    double metres = frame.barLength();
    double px = metres * frame.scale;
    Px start{frame.left + 16, frame.top + frame.height - 18};
    svg.rect({start.x - 6, start.y - 22}, px + 12, 32, R"(fill="#ffffff" opacity="0.85")");
    svg.line(start, {start.x + px, start.y}, R"(stroke="#333" stroke-width="2")");
    for (double x : {start.x, start.x + px}) {
        svg.line({x, start.y - 5}, {x, start.y + 5}, R"(stroke="#333" stroke-width="2")");
    }
    std::string label = metres < 1.0 ? fixed(metres * 100.0, 0) + " cm" : fixed(metres, 0) + " m";
    svg.text({start.x + px / 2, start.y - 8}, label, R"(font-size="12" fill="#333")", "middle");

    Px n{frame.left + frame.width - 22, frame.top + 40};
    svg.polygon({{n.x, n.y - 22}, {n.x - 7, n.y}, {n.x + 7, n.y}}, R"(fill="#555")");
    svg.text({n.x, n.y + 14}, "N", R"(font-size="12" font-weight="bold" fill="#555")", "middle");
}

// The player's path, coloured by the drag state; a jump (the placement for a
// pick-up) dotted; the facing shown now and then while dragging, and the
// frame number every hundred frames.
void playerPath(Svg& svg, PictureFrame& frame, const Track& track) {
    // One polyline per stretch of one state, points closer than a pixel merged.
    std::vector<Px> run;
    DragPhase phase = DragPhase::Idle;
    auto flush = [&] {
        if (run.size() > 1) {
            svg.polyline(run, std::string("fill=\"none\" stroke=\"") + phaseColour(phase) +
                                  "\" stroke-width=\"4\" stroke-linecap=\"round\" "
                                  "stroke-linejoin=\"round\"");
        }
        run.clear();
    };
    for (std::size_t i = 0; i < track.samples.size(); ++i) {
        const Sample& b = track.samples[i];
        Px p = frame.at(b.player);
        if (i > 0) {
            const Sample& a = track.samples[i - 1];
            Px q = frame.at(a.player);
            double step =
                std::hypot(double(b.player.x) - a.player.x, double(b.player.y) - a.player.y);
            if (step > 0.2) {
                // A jump: the placement for a pick-up.
                flush();
                svg.line(q, p,
                         std::string("stroke=\"") + phaseColour(b.phase) +
                             "\" stroke-width=\"2\" stroke-dasharray=\"2 4\"");
            } else if (b.phase != phase) {
                flush();
                run.push_back(q);
            }
        }
        phase = b.phase;
        if (run.empty() || std::hypot(run.back().x - p.x, run.back().y - p.y) >= 1.0 ||
            i + 1 == track.samples.size()) {
            run.push_back(p);
        }
    }
    flush();
    // Frame numbers about ten times along the run, facing about forty times.
    std::int64_t count = static_cast<std::int64_t>(track.samples.size());
    std::int64_t tick = std::max<std::int64_t>(100, (count / 10 + 99) / 100 * 100);
    std::int64_t facing = std::max<std::int64_t>(20, (count / 40 + 19) / 20 * 20);
    for (const Sample& s : track.samples) {
        if (s.frame % tick == 0) {
            Px c = frame.at(s.player);
            svg.circle(c, 3, R"(fill="#ffffff" stroke="#444" stroke-width="1.2")");
            frame.label(svg, c, "frame " + std::to_string(s.frame), "#666");
        }
        if (s.phase == DragPhase::Dragging && s.frame % facing == 0) {
            Px c = frame.at(s.player);
            sim::Vec3 ahead = sim::forwardOf(s.heading);
            Px tip{c.x + ahead.x * 12, c.y - ahead.y * 12};
            Px side{ahead.y * 4, ahead.x * 4};
            svg.polygon({tip, {c.x + side.x, c.y + side.y}, {c.x - side.x, c.y - side.y}},
                        R"(fill="#1d4fa8" opacity="0.8")");
        }
    }
}

// Other peds: where they stood or lay.
void otherPeds(Svg& svg, PictureFrame& frame, const Track& track,
               const std::set<std::int32_t>& bodies) {
    const sim::World& w = sim::world();
    for (const auto& [handle, path] : track.pedPaths) {
        if (handle == w.player || bodies.contains(handle) || path.empty()) {
            continue;
        }
        const sim::Ped& ped = w.peds.at(handle);
        bool lying = ped.dead || ped.incapacitated || ped.limp;
        if (lying) {
            bodyFigure(svg, frame, path.back(), ped.heading, "0.3");
        } else {
            svg.circle(frame.at(path.back()), 7, R"(fill="#c9c4ba" stroke="#8d877b")");
        }
        frame.label(svg, frame.at(path.back()), pedNames().name(handle), "#777");
    }
}

// The bodies: where they lay, the way they were dragged, where they ended.
void draggedBodies(Svg& svg, PictureFrame& frame, const Track& track,
                   const std::set<std::int32_t>& bodies) {
    const sim::World& w = sim::world();
    for (std::int32_t handle : bodies) {
        const auto& path = track.pedPaths.at(handle);
        const sim::Ped& ped = w.peds.at(handle);
        bodyFigure(svg, frame, path.front(), ped.heading, "0.3");
        std::vector<Px> points;
        for (const sim::Vec3& p : path) {
            points.push_back(frame.at(p));
        }
        svg.polyline(points, std::string("fill=\"none\" stroke=\"") + BodyColour +
                                 "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
        bodyFigure(svg, frame, path.back(), ped.heading, "0.85");
        frame.label(svg, frame.at(path.back()), pedNames().name(handle), BodyColour);
    }
}

// Where the player started and where they ended, facing.
void playerEnds(Svg& svg, PictureFrame& frame, const Track& track) {
    if (track.samples.empty()) {
        return;
    }
    const Sample& first = track.samples.front();
    svg.circle(frame.at(first.player), 5, R"(fill="#ffffff" stroke="#555" stroke-width="2")");
    frame.reserve(frame.at(first.player), 6);
    frame.label(svg, frame.at(first.player), "player starts", "#555");
    const Sample& last = track.samples.back();
    playerFigure(svg, frame, last.player, last.heading, "#2b2b2b", "#2b2b2b");
    frame.label(svg, frame.at(last.player), "player at the end", "#2b2b2b");
}

} // namespace

void writePicture(const std::string& path, const Scenario& scenario, const Track& track) {
    std::set<std::int32_t> bodies;
    for (const Sample& s : track.samples) {
        if (s.target != 0) {
            bodies.insert(s.target);
        }
    }
    PictureFrame frame(track, bodies);
    Svg svg;
    svg.rect({0, 0}, frame.canvasWidth, frame.canvasHeight, R"(fill="#fbfaf7")");
    std::string title = std::filesystem::path(scenario.file).filename().string();
    svg.text({frame.left, 30}, title, R"(font-size="18" font-weight="bold" fill="#222")");
    svg.text({frame.left, 50}, scenario.description, R"(font-size="13" fill="#555")");
    grid(svg, frame);
    otherPeds(svg, frame, track, bodies);
    draggedBodies(svg, frame, track, bodies);
    playerPath(svg, frame, track);
    for (const Marker& m : track.markers) {
        frame.marker(svg, m, PromptColour, GrabColour, Halo);
    }
    playerEnds(svg, frame, track);
    frame.drawLabels(svg);
    scaleAndNorth(svg, frame);
    frame.legend(svg, scenario, track, PromptColour, GrabColour, BodyColour, phaseColour);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << svg.document(frame.canvasWidth, frame.canvasHeight);
    if (!out) {
        std::fprintf(stderr, "pallbrook-sim: cannot write %s\n", path.c_str());
    }
}

} // namespace simtool
