#include "report/picture/picture_frame.h"

#include "printing/format.h"

#include "sim/world/geometry.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace simtool {

namespace {

constexpr double Margin = 28.0;
constexpr double TitleHeight = 70.0;
constexpr double PlotMax = 640.0;
constexpr double CharWidth = 6.4; // at font size 11
// How far from what happens other peds are shown, in metres.
constexpr double OthersAround = 3.0;

} // namespace

const char* phaseColour(DragPhase phase) {
    switch (phase) {
    case DragPhase::Idle:
        return "#9aa0a6";
    case DragPhase::PickingUp:
        return colours::Placement;
    case DragPhase::Dragging:
        return "#2f6fdf";
    case DragPhase::PuttingDown:
        return "#8e44ad";
    }
    return "#000";
}

std::string detectionRadiusStyle() {
    return std::string("fill=\"none\" stroke=\"") + colours::Prompt +
           "\" stroke-width=\"1.5\" stroke-dasharray=\"3 5\" opacity=\"0.8\"";
}

std::vector<sim::Vec3> radiusCentres(const Track& track) {
    constexpr std::size_t MostCircles = 40;
    std::vector<sim::Vec3> centres;
    const double r = track.detectionRadius;
    if (!std::isfinite(r) || r == 0.0) {
        return centres;
    }
    bool inStretch = false;
    for (const Sample& s : track.samples) {
        const bool searching = s.phase == DragPhase::Idle && !s.prompt;
        if (searching && centres.size() < MostCircles &&
            (!inStretch || std::hypot(s.player.x - centres.back().x,
                                      s.player.y - centres.back().y) > std::fabs(r))) {
            centres.push_back(s.player);
        }
        inStretch = searching;
    }
    return centres;
}

PictureFrame::PictureFrame(const Track& track, const std::set<std::int32_t>& bodies) {
    bool any = false;
    auto take = [&](const sim::Vec3& p) {
        minX = any ? std::min(minX, double(p.x)) : p.x;
        maxX = any ? std::max(maxX, double(p.x)) : p.x;
        minY = any ? std::min(minY, double(p.y)) : p.y;
        maxY = any ? std::max(maxY, double(p.y)) : p.y;
        any = true;
    };
    // What happens: the player's path, the marks and the bodies dragged.
    for (const Sample& s : track.samples) {
        take(s.player);
    }
    for (const Marker& m : track.markers) {
        take(m.at);
    }
    for (std::int32_t body : bodies) {
        const auto look = track.looks.find(body);
        for (const PathPoint& p : track.pedPaths.at(body)) {
            take(p.at);
            if (look != track.looks.end() && look->second.heading) {
                // A lying body reaches about 1.6 from its feet to its head.
                const sim::Vec3 ahead = sim::forwardOf(*look->second.heading);
                take({p.at.x + ahead.x * 1.7f, p.at.y + ahead.y * 1.7f, p.at.z});
            }
        }
    }
    const auto radius = static_cast<float>(std::fabs(track.detectionRadius));
    for (const sim::Vec3& c : radiusCentres(track)) {
        take({c.x - radius, c.y - radius, c.z});
        take({c.x + radius, c.y + radius, c.z});
    }
    // The other peds around it.
    reach_ = {minX - OthersAround, minY - OthersAround, maxX - minX + 2 * OthersAround,
              maxY - minY + 2 * OthersAround};
    for (const auto& [handle, path] : track.pedPaths) {
        if (!path.empty() && (!any || shows(path.back().at))) {
            take(path.back().at);
        }
    }
    // Room for the symbols, labels and the scale bar, and for a body at its
    // first or last place, which may lie any way.
    double pad = bodies.empty() ? 0.8 : 1.0;
    minX -= pad;
    maxX += pad;
    minY -= pad;
    maxY += pad;
    double spanX = maxX - minX;
    double spanY = maxY - minY;
    scale = std::min(PlotMax / spanX, PlotMax / spanY);
    left = Margin;
    top = TitleHeight;
    width = spanX * scale;
    height = spanY * scale;
    legendLeft = left + width + Margin;
    canvasWidth = legendLeft + LegendWidth + Margin;
    canvasHeight = top + height + Margin;
}

void PictureFrame::fitLegend(double legendHeight) {
    canvasHeight = top + std::max(height, legendHeight) + Margin;
}

bool PictureFrame::shows(const sim::Vec3& p) const {
    return p.x >= reach_.x && p.x <= reach_.x + reach_.w && p.y >= reach_.y &&
           p.y <= reach_.y + reach_.h;
}

Px PictureFrame::at(const sim::Vec3& p) const {
    return {left + (p.x - minX) * scale, top + (maxY - p.y) * scale};
}

double PictureFrame::gridStep() const {
    for (double step : {0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        if (step * scale >= 36.0) {
            return step;
        }
    }
    return 100.0;
}

double PictureFrame::barLength() const {
    for (double metres : {0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        if (metres * scale >= 70.0) {
            return metres;
        }
    }
    return 100.0;
}

bool PictureFrame::free(const Box& box, bool ofSymbols) const {
    if (box.x < left || box.y < top || box.x + box.w > left + width ||
        box.y + box.h > top + height) {
        return false;
    }
    auto overlaps = [&box](const Box& o) {
        return box.x < o.x + o.w && o.x < box.x + box.w && box.y < o.y + o.h && o.y < box.y + box.h;
    };
    return std::none_of(placed_.begin(), placed_.end(), overlaps) &&
           (!ofSymbols || std::none_of(symbols_.begin(), symbols_.end(), overlaps));
}

void PictureFrame::reserve(Px centre, double radius) {
    symbols_.push_back({centre.x - radius, centre.y - radius, 2 * radius, 2 * radius});
}

void PictureFrame::label(Px anchor, const std::string& text, const std::string& colour,
                         bool always) {
    if (!always && ++counted_ > MaxLabels) {
        ++leftOut_;
        return;
    }
    labels_.push_back({anchor, text, colour});
}

void PictureFrame::drawLabels(Svg& svg) {
    for (const Label& l : labels_) {
        double w = static_cast<double>(l.text.size()) * CharWidth + 6.0;
        double h = 15.0;
        // Close places first, then rings further out in twelve directions.
        std::vector<Px> offsets = {{12, -20},    {12, 6},       {-12 - w, -20},
                                   {-12 - w, 6}, {-w / 2, -32}, {-w / 2, 16}};
        // Bodies keep labels off, so the rings are fine enough to find the
        // gaps between them.
        for (double r = 30.0; r <= 200.0; r += 10.0) {
            for (int k = 0; k < 24; ++k) {
                double angle = k * 3.14159265358979 / 12.0;
                double dx = std::cos(angle) * r;
                double dy = std::sin(angle) * r;
                offsets.push_back({dx >= 0 ? dx : dx - w, dy - h / 2});
            }
        }
        // A place free of symbols and labels, else one that covers symbols
        // but no label; where there is none, the label is left out.
        Px anchor = l.anchor;
        std::optional<Box> found;
        for (bool ofSymbols : {true, false}) {
            for (std::size_t i = 0; i < offsets.size() && !found; ++i) {
                Box box{anchor.x + offsets[i].x, anchor.y + offsets[i].y, w, h};
                if (free(box, ofSymbols)) {
                    found = box;
                }
            }
        }
        if (!found) {
            ++leftOut_;
            continue;
        }
        const Box chosen = *found;
        placed_.push_back(chosen);
        double cx = std::clamp(anchor.x, chosen.x, chosen.x + chosen.w);
        double cy = std::clamp(anchor.y, chosen.y, chosen.y + chosen.h);
        if (std::hypot(cx - anchor.x, cy - anchor.y) > 16.0) {
            svg.line(anchor, {cx, cy},
                     "stroke=\"" + l.colour + "\" stroke-width=\"0.8\" opacity=\"0.7\"");
        }
        svg.text({chosen.x + 3, chosen.y + 11.5}, l.text,
                 "font-size=\"11\" fill=\"" + l.colour +
                     "\" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\"");
    }
    labels_.clear();
}

void bodyFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& feet, float heading,
                const std::string& opacity) {
    sim::Vec3 ahead = sim::forwardOf(heading);
    sim::Vec3 head{feet.x + ahead.x * 1.55f, feet.y + ahead.y * 1.55f, feet.z};
    sim::Vec3 neck{feet.x + ahead.x * 1.35f, feet.y + ahead.y * 1.35f, feet.z};
    double width = std::max(6.0, 0.32 * frame.scale);
    svg.line(frame.at(feet), frame.at(neck),
             std::string("stroke=\"") + colours::Body + "\" stroke-width=\"" + num(width) +
                 "\" stroke-linecap=\"round\" opacity=\"" + opacity + "\"");
    svg.circle(frame.at(head), std::max(4.0, 0.13 * frame.scale),
               std::string("fill=\"") + colours::Body + "\" opacity=\"" + opacity + "\"");
    // No label lies on a body: boxes along it, from the feet to the head.
    const double half = std::max(width, 2.0 * std::max(4.0, 0.13 * frame.scale)) / 2.0 + 2.0;
    for (int k = 0; k <= 8; ++k) {
        const float f = 1.55f * static_cast<float>(k) / 8.0f;
        const Px c = frame.at({feet.x + ahead.x * f, feet.y + ahead.y * f, feet.z});
        frame.keepLabelsOff({c.x - half, c.y - half}, 2 * half, 2 * half);
    }
}

void bodyHead(Svg& svg, PictureFrame& frame, const sim::Vec3& at, const std::string& opacity) {
    const double r = std::max(4.0, 0.13 * frame.scale);
    const Px c = frame.at(at);
    svg.circle(c, r, std::string("fill=\"") + colours::Body + "\" opacity=\"" + opacity + "\"");
    frame.keepLabelsOff({c.x - r - 2, c.y - r - 2}, 2 * r + 4, 2 * r + 4);
}

void playerFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& at, float heading,
                  const std::string& fill, const std::string& stroke) {
    Px c = frame.at(at);
    double r = std::clamp(0.14 * frame.scale, 6.0, 11.0);
    sim::Vec3 ahead = sim::forwardOf(heading);
    Px tip{c.x + ahead.x * r * 2.0, c.y - ahead.y * r * 2.0};
    Px side{ahead.y * r * 0.75, ahead.x * r * 0.75};
    svg.polygon({tip, {c.x + side.x, c.y + side.y}, {c.x - side.x, c.y - side.y}},
                "fill=\"" + stroke + "\"");
    svg.circle(c, r, "fill=\"" + fill + "\" stroke=\"" + stroke + "\" stroke-width=\"2\"");
    frame.reserve(c, r + 4);
}

} // namespace simtool
