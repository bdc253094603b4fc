// The marks of the picture and its legend.
#include "printing/format.h"
#include "report/picture/picture_frame.h"

#include <cmath>

namespace simtool {

namespace {

constexpr const char* StartColour = "#2e9d4e";
constexpr const char* EndColour = "#c0392b";
constexpr const char* BodyColour = "#8c5a3c";

void diamond(Svg& svg, Px c, double r, const std::string& colour) {
    svg.polygon({{c.x, c.y - r}, {c.x + r, c.y}, {c.x, c.y + r}, {c.x - r, c.y}},
                "fill=\"" + colour + "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void ringCross(Svg& svg, Px c, const std::string& colour) {
    svg.circle(c, 8, "fill=\"#ffffff\" stroke=\"" + colour + "\" stroke-width=\"2.5\"");
    svg.line({c.x - 4, c.y - 4}, {c.x + 4, c.y + 4},
             "stroke=\"" + colour + "\" stroke-width=\"2\"");
    svg.line({c.x - 4, c.y + 4}, {c.x + 4, c.y - 4},
             "stroke=\"" + colour + "\" stroke-width=\"2\"");
}

void flag(Svg& svg, Px c) {
    svg.polygon({{c.x, c.y - 9}, {c.x + 9, c.y + 6}, {c.x - 9, c.y + 6}},
                std::string("fill=\"") + StartColour +
                    "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void square(Svg& svg, Px c) {
    svg.rect({c.x - 7, c.y - 7}, 14, 14,
             std::string("fill=\"") + EndColour + "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void dot(Svg& svg, Px c) {
    svg.circle(c, 6,
               std::string("fill=\"#ffffff\" stroke=\"") + BodyColour + "\" stroke-width=\"3\"");
}

std::string frameNote(const Marker& m) {
    return " (frame " + std::to_string(m.frame) + ")";
}

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

} // namespace

void PictureFrame::marker(Svg& svg, const Marker& m, const char* promptColour,
                          const char* grabColour, const char* halo) {
    (void)halo;
    Px c = at(m.at);
    reserve(c, 9);
    switch (m.kind) {
    case Marker::Kind::Prompt:
        diamond(svg, c, 7, promptColour);
        label(svg, c, "prompt " + m.label + frameNote(m), promptColour);
        break;
    case Marker::Kind::GrabPoint:
        ringCross(svg, c, grabColour);
        label(svg, c, m.label, grabColour);
        break;
    case Marker::Kind::Placement:
        playerFigure(svg, *this, m.at, m.heading, "#ffffff", "#e8a33d");
        label(svg, c, "placed, facing " + fixed(m.heading, 0) + " deg" + frameNote(m), "#b7791f");
        break;
    case Marker::Kind::DragStart:
        flag(svg, c);
        label(svg, c, m.label + frameNote(m), StartColour);
        break;
    case Marker::Kind::DragEnd:
        square(svg, c);
        label(svg, c, m.label + frameNote(m), EndColour);
        break;
    case Marker::Kind::Drop:
        dot(svg, c);
        label(svg, c, m.label + frameNote(m), BodyColour);
        break;
    }
}

namespace {

// The key: a row for each kind of line and mark the picture draws.
void legendKey(Svg& svg, double x, double& y, const char* promptColour, const char* grabColour,
               const char* bodyColour, PhaseColour phaseColour) {
    const std::string text = R"(font-size="12" fill="#333")";
    auto row = [&](const std::string& caption, auto draw) {
        draw(Px{x + 30, y - 4});
        svg.text({x + 58, y}, caption, text);
        y += 24;
    };
    auto pathRow = [&](DragPhase phase, const std::string& caption) {
        row(caption, [&](Px c) {
            svg.line({c.x - 16, c.y}, {c.x + 16, c.y},
                     std::string("stroke=\"") + phaseColour(phase) +
                         "\" stroke-width=\"4\" stroke-linecap=\"round\"");
        });
    };
    pathRow(DragPhase::Idle, "player walking, nothing held");
    pathRow(DragPhase::PickingUp, "player picking up");
    pathRow(DragPhase::Dragging, "player dragging");
    pathRow(DragPhase::PuttingDown, "player putting down");
    row("path of the body's feet", [&](Px c) {
        svg.line({c.x - 16, c.y}, {c.x + 16, c.y},
                 std::string("stroke=\"") + bodyColour +
                     "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
    });
    auto bodyRow = [&](const std::string& caption, const char* opacity) {
        row(caption, [&](Px c) {
            svg.line({c.x - 16, c.y}, {c.x + 8, c.y},
                     std::string("stroke=\"") + bodyColour +
                         "\" stroke-width=\"7\" stroke-linecap=\"round\" opacity=\"" + opacity +
                         "\"");
            svg.circle({c.x + 15, c.y}, 4.5,
                       std::string("fill=\"") + bodyColour + "\" opacity=\"" + opacity + "\"");
        });
    };
    bodyRow("body where it lay", "0.3");
    bodyRow("body at the end", "0.85");
    row("prompt stood here", [&](Px c) { diamond(svg, c, 7, promptColour); });
    row("grab point (midpoint of the grip)", [&](Px c) { ringCross(svg, c, grabColour); });
    row("player placed for the pick-up",
        [&](Px c) { svg.circle(c, 7, R"(fill="#ffffff" stroke="#e8a33d" stroke-width="2")"); });
    row("drag starts", [&](Px c) { flag(svg, c); });
    row("drag ends (put-down or cut short)", [&](Px c) { square(svg, c); });
    row("body let go", [&](Px c) { dot(svg, c); });
    row("player at the end, facing", [&](Px c) {
        svg.polygon({{c.x + 14, c.y}, {c.x + 3, c.y - 5}, {c.x + 3, c.y + 5}}, R"(fill="#2b2b2b")");
        svg.circle(c, 6, R"(fill="#2b2b2b")");
    });
}

// "This run": the facts of the run in a few lines.
void runFacts(Svg& svg, double x, double y, const Scenario& scenario, const Track& track,
              double gridStep) {
    const std::string text = R"(font-size="12" fill="#333")";
    svg.line({x + 14, y - 14}, {x + 256, y - 14}, R"(stroke="#e4e0d8")");
    svg.text({x + 14, y + 4}, "This run", R"(font-size="14" font-weight="bold" fill="#222")");
    y += 26;
    auto fact = [&](const std::string& line) {
        svg.text({x + 14, y}, line, text);
        y += 20;
    };
    double seconds = static_cast<double>(scenario.frames) * scenario.world.frameTimeMs / 1000.0;
    fact(std::to_string(scenario.frames) + " frames of " +
         std::to_string(scenario.world.frameTimeMs) + " ms (" + fixed(seconds, 2) + " s)");
    int drags = 0;
    for (const Marker& m : track.markers) {
        drags += m.kind == Marker::Kind::DragStart ? 1 : 0;
        if (m.kind == Marker::Kind::GrabPoint) {
            fact("grabbed by the " +
                 m.label.substr(m.label.find('(') + 1, m.label.size() - m.label.find('(') - 2) +
                 frameNote(m));
        }
    }
    fact(std::to_string(drags) + (drags == 1 ? " drag, " : " drags, ") +
         fixed(pathLengthWhile(track, DragPhase::Dragging), 2) + " m walked while dragging");
    if (!track.samples.empty()) {
        fact(std::string("state at the end: ") + phaseName(track.samples.back().phase));
    }
    fact("grid: " + fixed(gridStep, gridStep < 1.0 ? 2 : 0) + " m; north is up");
}

} // namespace

void PictureFrame::legend(Svg& svg, const Scenario& scenario, const Track& track,
                          const char* promptColour, const char* grabColour, const char* bodyColour,
                          PhaseColour phaseColour) {
    double x = legendLeft;
    double y = top;
    svg.rect({x, y}, 270, 560, R"(fill="#ffffff" stroke="#d8d4cb" rx="6")");
    svg.text({x + 14, y + 24}, "Legend", R"(font-size="14" font-weight="bold" fill="#222")");
    y += 46;
    legendKey(svg, x, y, promptColour, grabColour, bodyColour, phaseColour);
    runFacts(svg, x, y + 10, scenario, track, gridStep());
}

} // namespace simtool
