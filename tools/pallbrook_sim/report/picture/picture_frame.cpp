#include "report/picture/picture_frame.h"

#include "printing/format.h"

#include "sim/world/geometry.h"

#include <algorithm>
#include <cmath>

namespace simtool {

namespace {

constexpr double Margin = 28.0;
constexpr double TitleHeight = 70.0;
constexpr double PlotMax = 640.0;
constexpr double LegendWidth = 270.0;
constexpr double LegendHeight = 560.0;
constexpr double CharWidth = 6.4; // at font size 11

constexpr const char* BodyColour = "#8c5a3c";

} // namespace

PictureFrame::PictureFrame(const Track& track, const std::set<std::int32_t>& bodies) {
    bool any = false;
    auto take = [&](const sim::Vec3& p) {
        minX = any ? std::min(minX, double(p.x)) : p.x;
        maxX = any ? std::max(maxX, double(p.x)) : p.x;
        minY = any ? std::min(minY, double(p.y)) : p.y;
        maxY = any ? std::max(maxY, double(p.y)) : p.y;
        any = true;
    };
    for (const Sample& s : track.samples) {
        take(s.player);
    }
    for (const auto& [handle, path] : track.pedPaths) {
        (void)handle;
        for (const sim::Vec3& p : path) {
            take(p);
        }
    }
    for (const Marker& m : track.markers) {
        take(m.at);
    }
    // Room for lying bodies (about 1.6 from feet to head), labels and the
    // scale bar.
    double pad = bodies.empty() ? 1.5 : 1.9;
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
    canvasHeight = top + std::max(height, LegendHeight) + Margin;
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

bool PictureFrame::free(const Box& box) const {
    if (box.x < left || box.y < top || box.x + box.w > left + width ||
        box.y + box.h > top + height) {
        return false;
    }
    return std::none_of(taken_.begin(), taken_.end(), [&](const Box& o) {
        return box.x < o.x + o.w && o.x < box.x + box.w && box.y < o.y + o.h && o.y < box.y + box.h;
    });
}

void PictureFrame::reserve(Px centre, double radius) {
    taken_.push_back({centre.x - radius, centre.y - radius, 2 * radius, 2 * radius});
}

void PictureFrame::label(Svg&, Px anchor, const std::string& text, const std::string& colour) {
    labels_.push_back({anchor, text, colour});
}

void PictureFrame::drawLabels(Svg& svg) {
    for (const Label& l : labels_) {
        double w = static_cast<double>(l.text.size()) * CharWidth + 6.0;
        double h = 15.0;
        // Close places first, then rings further out in twelve directions.
        std::vector<Px> offsets = {{12, -20},    {12, 6},       {-12 - w, -20},
                                   {-12 - w, 6}, {-w / 2, -32}, {-w / 2, 16}};
        for (double r = 30.0; r <= 150.0; r += 15.0) {
            for (int k = 0; k < 12; ++k) {
                double angle = k * 3.14159265358979 / 6.0;
                double dx = std::cos(angle) * r;
                double dy = std::sin(angle) * r;
                offsets.push_back({dx >= 0 ? dx : dx - w, dy - h / 2});
            }
        }
        Px anchor = l.anchor;
        Box chosen{anchor.x + offsets[0].x, anchor.y + offsets[0].y, w, h};
        for (const Px& o : offsets) {
            Box box{anchor.x + o.x, anchor.y + o.y, w, h};
            if (free(box)) {
                chosen = box;
                break;
            }
        }
        taken_.push_back(chosen);
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
             std::string("stroke=\"") + BodyColour + "\" stroke-width=\"" + num(width) +
                 "\" stroke-linecap=\"round\" opacity=\"" + opacity + "\"");
    svg.circle(frame.at(head), std::max(4.0, 0.13 * frame.scale),
               std::string("fill=\"") + BodyColour + "\" opacity=\"" + opacity + "\"");
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
