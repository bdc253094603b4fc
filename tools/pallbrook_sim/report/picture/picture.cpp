#include "report/picture/picture.h"

#include "printing/format.h"
#include "printing/names.h"
#include "report/picture/picture_facts.h"
#include "report/picture/picture_frame.h"
#include "report/picture/svg.h"

#include "sim/world/geometry.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace simtool {

namespace {

PedLook lookOf(const Track& track, std::int32_t handle) {
    auto found = track.looks.find(handle);
    return found != track.looks.end() ? found->second : PedLook{};
}

// A lying ped, head forward from its feet; its head alone when the way it
// lies is not known.
void lyingBody(Svg& svg, PictureFrame& frame, const sim::Vec3& feet, const PedLook& look,
               const char* opacity) {
    if (look.heading) {
        bodyFigure(svg, frame, feet, *look.heading, opacity);
    } else {
        bodyHead(svg, frame, feet, opacity);
    }
}

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

void scaleAndNorth(Svg& svg, PictureFrame& frame) {
    double metres = frame.barLength();
    double px = metres * frame.scale;
    Px start{frame.left + 16, frame.top + frame.height - 18};
    svg.rect({start.x - 6, start.y - 22}, px + 12, 32, R"(fill="#ffffff" opacity="0.85")");
    frame.keepLabelsOff({start.x - 6, start.y - 22}, px + 12, 32);
    svg.line(start, {start.x + px, start.y}, R"(stroke="#333" stroke-width="2")");
    for (double x : {start.x, start.x + px}) {
        svg.line({x, start.y - 5}, {x, start.y + 5}, R"(stroke="#333" stroke-width="2")");
    }
    std::string label = metres < 1.0 ? fixed(metres * 100.0, 0) + " cm" : fixed(metres, 0) + " m";
    svg.text({start.x + px / 2, start.y - 8}, label, R"(font-size="12" fill="#333")", "middle");

    Px n{frame.left + frame.width - 22, frame.top + 40};
    frame.keepLabelsOff({n.x - 8, n.y - 22}, 16, 40);
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
            frame.label(c, "frame " + std::to_string(s.frame), "#666", true);
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

// The other peds the picture shows, by handle.
std::vector<std::int32_t> othersShown(const Track& track, const std::set<std::int32_t>& bodies,
                                      const PictureFrame& frame) {
    std::vector<std::int32_t> others;
    for (const auto& [handle, path] : track.pedPaths) {
        if (handle != track.player && !bodies.contains(handle) && !path.empty() &&
            frame.shows(path.back().at)) {
            others.push_back(handle);
        }
    }
    return others;
}

// Other peds: where they stood or lay.
void otherPeds(Svg& svg, PictureFrame& frame, const Track& track,
               const std::vector<std::int32_t>& others, bool named) {
    for (const std::int32_t handle : others) {
        const PedLook look = lookOf(track, handle);
        const sim::Vec3& at = track.pedPaths.at(handle).back().at;
        if (look.lying) {
            lyingBody(svg, frame, at, look, "0.3");
        } else {
            svg.circle(frame.at(at), 7, R"(fill="#c9c4ba" stroke="#8d877b")");
        }
        if (named) {
            frame.label(frame.at(at), pedNames().name(handle), "#777");
        }
    }
}

// The bodies: where they lay and where they ended, named there.
void bodiesDragged(Svg& svg, PictureFrame& frame, const Track& track,
                   const std::set<std::int32_t>& bodies, const std::set<std::int32_t>& named) {
    for (std::int32_t handle : bodies) {
        const auto& path = track.pedPaths.at(handle);
        const PedLook look = lookOf(track, handle);
        lyingBody(svg, frame, path.front().at, look, "0.3");
        lyingBody(svg, frame, path.back().at, look, "0.85");
        if (named.contains(handle)) {
            frame.label(frame.at(path.back().at), pedNames().name(handle), colours::Body);
        }
    }
}

// The way each body went, through the places told of it only: where one
// place is more than a step from the next (a capture tells where a body lay
// by its feet and where it is dragged by its hands), no line joins them.
void bodyPaths(Svg& svg, PictureFrame& frame, const Track& track,
               const std::set<std::int32_t>& bodies) {
    constexpr double Step = 0.5;
    const std::string style = std::string("fill=\"none\" stroke=\"") + colours::Body +
                              "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"";
    for (std::int32_t handle : bodies) {
        std::vector<Px> points;
        const PathPoint* last = nullptr;
        for (const PathPoint& p : track.pedPaths.at(handle)) {
            if (last != nullptr && std::hypot(p.at.x - last->at.x, p.at.y - last->at.y) > Step) {
                if (points.size() > 1) {
                    svg.polyline(points, style);
                }
                points.clear();
            }
            points.push_back(frame.at(p.at));
            last = &p;
        }
        if (points.size() > 1) {
            svg.polyline(points, style);
        }
    }
}

// The detection radius around the player, where no prompt stood.
void detectionRadius(Svg& svg, const PictureFrame& frame, const Track& track) {
    const double r = std::fabs(track.detectionRadius) * frame.scale;
    for (const sim::Vec3& c : radiusCentres(track)) {
        svg.circle(frame.at(c), r, detectionRadiusStyle());
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
    frame.label(frame.at(first.player), "player starts", "#555", true);
    const Sample& last = track.samples.back();
    playerFigure(svg, frame, last.player, last.heading, "#2b2b2b", "#2b2b2b");
    frame.label(frame.at(last.player), "player at the end", "#2b2b2b", true);
}

} // namespace

std::string pictureOf(const PictureText& text, const Track& track) {
    const std::set<std::int32_t> bodies = draggedBodies(track);
    PictureFrame frame(track, bodies);
    const std::vector<std::int32_t> others = othersShown(track, bodies, frame);
    const Labelling labelling = chooseLabelling(track, bodies, others.size());
    Svg plot;
    plot.text({frame.left, 30}, text.title, R"(font-size="18" font-weight="bold" fill="#222")");
    plot.text({frame.left, 50}, text.description, R"(font-size="13" fill="#555")");
    grid(plot, frame);
    detectionRadius(plot, frame, track);
    otherPeds(plot, frame, track, others, labelling.namesOthers);
    bodiesDragged(plot, frame, track, bodies, labelling.bodies);
    playerEnds(plot, frame, track);
    // The paths above the marks, so that a short one still shows.
    for (const Marker& m : track.markers) {
        frame.marker(plot, m, labelling.covers(m.frame));
    }
    bodyPaths(plot, frame, track, bodies);
    playerPath(plot, frame, track);
    scaleAndNorth(plot, frame);
    frame.drawLabels(plot);

    const std::vector<std::string> facts =
        runFacts(track, text, labelling, frame.gridStep(), frame.labelsLeftOut());
    frame.fitLegend(legendHeight(facts));
    Svg page;
    page.rect({0, 0}, frame.canvasWidth, frame.canvasHeight, R"(fill="#fbfaf7")");
    page.append(plot);
    drawLegend(page, frame.legendLeft, frame.top, facts);
    return page.document(frame.canvasWidth, frame.canvasHeight);
}

} // namespace simtool
