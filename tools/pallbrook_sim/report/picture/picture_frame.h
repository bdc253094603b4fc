// The layout of the picture: the part of the world shown, the scale, where
// labels go without covering each other, and the figures and marks drawn.
#pragma once

#include "report/picture/svg.h"
#include "report/track.h"
#include "scenario/scenario.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace simtool {

using PhaseColour = const char* (*)(DragPhase);

class PictureFrame {
  public:
    PictureFrame(const Track& track, const std::set<std::int32_t>& bodies);

    // The world shown, in world units, and the pixels per unit.
    double minX = 0, maxX = 0, minY = 0, maxY = 0, scale = 1;
    // The plot area and the whole canvas, in pixels.
    double left = 0, top = 0, width = 0, height = 0;
    double legendLeft = 0, canvasWidth = 0, canvasHeight = 0;

    // North is up.
    Px at(const sim::Vec3& p) const;
    double gridStep() const;
    double barLength() const;

    // Keeps a square around a drawn symbol free of labels.
    void reserve(Px centre, double radius);
    // A label near the anchor, placed (in the first free place around it) and
    // drawn by drawLabels, after every symbol has been reserved.
    void label(Svg& svg, Px anchor, const std::string& text, const std::string& colour);
    void drawLabels(Svg& svg);
    void marker(Svg& svg, const Marker& marker, const char* promptColour, const char* grabColour,
                const char* halo);
    void legend(Svg& svg, const Scenario& scenario, const Track& track, const char* promptColour,
                const char* grabColour, const char* bodyColour, PhaseColour phaseColour);

  private:
    struct Box {
        double x, y, w, h;
    };
    struct Label {
        Px anchor;
        std::string text;
        std::string colour;
    };
    bool free(const Box& box) const;
    std::vector<Box> taken_;
    std::vector<Label> labels_;
};

void bodyFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& feet, float heading,
                const std::string& opacity);
void playerFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& at, float heading,
                  const std::string& fill, const std::string& stroke);

} // namespace simtool
