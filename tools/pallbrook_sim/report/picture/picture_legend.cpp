// The marks of the picture and its legend.
#include "printing/format.h"
#include "report/picture/picture_frame.h"

#include <algorithm>
#include <sstream>

namespace simtool {

namespace {

void diamond(Svg& svg, Px c, double r) {
    svg.polygon({{c.x, c.y - r}, {c.x + r, c.y}, {c.x, c.y + r}, {c.x - r, c.y}},
                std::string("fill=\"") + colours::Prompt +
                    "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void ringCross(Svg& svg, Px c) {
    const std::string colour = colours::Grab;
    svg.circle(c, 8, "fill=\"#ffffff\" stroke=\"" + colour + "\" stroke-width=\"2.5\"");
    svg.line({c.x - 4, c.y - 4}, {c.x + 4, c.y + 4},
             "stroke=\"" + colour + "\" stroke-width=\"2\"");
    svg.line({c.x - 4, c.y + 4}, {c.x + 4, c.y - 4},
             "stroke=\"" + colour + "\" stroke-width=\"2\"");
}

void flag(Svg& svg, Px c) {
    svg.polygon({{c.x, c.y - 9}, {c.x + 9, c.y + 6}, {c.x - 9, c.y + 6}},
                std::string("fill=\"") + colours::DragStart +
                    "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void square(Svg& svg, Px c) {
    svg.rect({c.x - 7, c.y - 7}, 14, 14,
             std::string("fill=\"") + colours::DragEnd +
                 "\" stroke=\"#ffffff\" stroke-width=\"1.5\"");
}

void dot(Svg& svg, Px c) {
    svg.circle(c, 6,
               std::string("fill=\"#ffffff\" stroke=\"") + colours::Body + "\" stroke-width=\"3\"");
}

void cross(Svg& svg, Px c) {
    for (const double w : {6.0, 3.0}) {
        const std::string stroke = w > 3.0 ? "#ffffff" : colours::Difference;
        svg.line({c.x - 8, c.y - 8}, {c.x + 8, c.y + 8},
                 "stroke=\"" + stroke + "\" stroke-width=\"" + num(w) + "\"");
        svg.line({c.x - 8, c.y + 8}, {c.x + 8, c.y - 8},
                 "stroke=\"" + stroke + "\" stroke-width=\"" + num(w) + "\"");
    }
}

std::string frameNote(const Marker& m) {
    return " (frame " + std::to_string(m.frame) + ")";
}

} // namespace

void PictureFrame::marker(Svg& svg, const Marker& m, bool labelled) {
    Px c = at(m.at);
    reserve(c, 9);
    std::string text;
    std::string colour;
    switch (m.kind) {
    case Marker::Kind::Prompt:
        diamond(svg, c, 7);
        text = "prompt " + m.label + frameNote(m);
        colour = colours::Prompt;
        break;
    case Marker::Kind::GrabPoint:
        ringCross(svg, c);
        text = m.label;
        colour = colours::Grab;
        break;
    case Marker::Kind::Placement:
        playerFigure(svg, *this, m.at, m.heading, "#ffffff", colours::Placement);
        text = "placed, facing " + fixed(m.heading, 0) + " deg" + frameNote(m);
        colour = "#b7791f";
        break;
    case Marker::Kind::DragStart:
        flag(svg, c);
        text = m.label + frameNote(m);
        colour = colours::DragStart;
        break;
    case Marker::Kind::DragEnd:
        square(svg, c);
        text = m.label + frameNote(m);
        colour = colours::DragEnd;
        break;
    case Marker::Kind::Drop:
        dot(svg, c);
        text = m.label + frameNote(m);
        colour = colours::Body;
        break;
    case Marker::Kind::Difference:
        cross(svg, c);
        text = m.label + frameNote(m);
        colour = colours::Difference;
        labelled = true;
        break;
    }
    if (labelled) {
        label(c, text, colour);
    }
}

namespace {

constexpr double KeyTop = 46.0;   // below the panel's heading
constexpr double KeyRow = 24.0;   // a row of the key
constexpr int KeyRows = 16;       // the rows legendKey draws
constexpr double FactsGap = 36.0; // from the key to the first fact
constexpr double FactHeight = 20.0;
constexpr double PanelPad = 18.0; // below the last fact

// The key: a row for each kind of line and mark the picture draws.
void legendKey(Svg& svg, double x, double y) {
    const std::string text = R"(font-size="12" fill="#333")";
    auto row = [&](const std::string& caption, auto draw) {
        draw(Px{x + 30, y - 4});
        svg.text({x + 58, y}, caption, text);
        y += KeyRow;
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
                 std::string("stroke=\"") + colours::Body +
                     "\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
    });
    auto bodyRow = [&](const std::string& caption, const char* opacity) {
        row(caption, [&](Px c) {
            svg.line({c.x - 16, c.y}, {c.x + 8, c.y},
                     std::string("stroke=\"") + colours::Body +
                         "\" stroke-width=\"7\" stroke-linecap=\"round\" opacity=\"" + opacity +
                         "\"");
            svg.circle({c.x + 15, c.y}, 4.5,
                       std::string("fill=\"") + colours::Body + "\" opacity=\"" + opacity + "\"");
        });
    };
    bodyRow("body where it lay", "0.3");
    bodyRow("body at the end", "0.85");
    row("prompt stood here", [&](Px c) { diamond(svg, c, 7); });
    row("grab point (midpoint of the grip)", [&](Px c) { ringCross(svg, c); });
    row("player placed for the pick-up", [&](Px c) {
        svg.circle(c, 7,
                   std::string("fill=\"#ffffff\" stroke=\"") + colours::Placement +
                       "\" stroke-width=\"2\"");
    });
    row("drag starts", [&](Px c) { flag(svg, c); });
    row("drag ends (dropped or cut short)", [&](Px c) { square(svg, c); });
    row("body let go", [&](Px c) { dot(svg, c); });
    row("detection radius, none offered", [&](Px c) { svg.circle(c, 9, detectionRadiusStyle()); });
    row("DIFFERENCE, the replay stopped", [&](Px c) { cross(svg, c); });
    row("player at the end, facing", [&](Px c) {
        svg.polygon({{c.x + 14, c.y}, {c.x + 3, c.y - 5}, {c.x + 3, c.y + 5}}, R"(fill="#2b2b2b")");
        svg.circle(c, 6, R"(fill="#2b2b2b")");
    });
}

// The facts as lines that fit the panel: a fact too long for one goes on in
// lines of its own, indented, broken at spaces (a word longer than a line is
// cut).
struct FactLine {
    std::string text;
    bool goesOn = false;
};

std::vector<FactLine> factLines(const std::vector<std::string>& facts) {
    const auto fits = static_cast<std::size_t>((LegendWidth - 40.0) / LegendCharWidth);
    std::vector<FactLine> lines;
    for (const std::string& fact : facts) {
        FactLine line;
        std::istringstream words(fact);
        std::string word;
        while (words >> word) {
            word.resize(std::min(word.size(), fits));
            if (!line.text.empty() && line.text.size() + 1 + word.size() > fits) {
                lines.push_back(line);
                line = {"", true};
            }
            line.text += (line.text.empty() ? "" : " ") + word;
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

double legendHeight(const std::vector<std::string>& facts) {
    return KeyTop + KeyRows * KeyRow + FactsGap +
           static_cast<double>(factLines(facts).size()) * FactHeight + PanelPad;
}

void drawLegend(Svg& svg, double x, double top, const std::vector<std::string>& facts) {
    svg.rect({x, top}, LegendWidth, legendHeight(facts),
             R"(fill="#ffffff" stroke="#d8d4cb" rx="6")");
    svg.text({x + 14, top + 24}, "Legend", R"(font-size="14" font-weight="bold" fill="#222")");
    double y = top + KeyTop;
    legendKey(svg, x, y);
    y += KeyRows * KeyRow + 10;
    svg.line({x + 14, y - 14}, {x + LegendWidth - 14, y - 14}, R"(stroke="#e4e0d8")");
    svg.text({x + 14, y + 4}, "This run", R"(font-size="14" font-weight="bold" fill="#222")");
    y += 26;
    for (const FactLine& line : factLines(facts)) {
        svg.text({x + (line.goesOn ? 26 : 14), y}, line.text, R"(font-size="12" fill="#333")");
        y += FactHeight;
    }
}

} // namespace simtool
