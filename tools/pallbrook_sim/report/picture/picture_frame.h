// The layout of the picture: the part of the world shown, the scale, where
// labels go without covering each other, and the figures and marks drawn.
#pragma once

#include "report/picture/svg.h"
#include "report/track.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace simtool {

// The picture's colours, each used by the marks and by their legend rows.
namespace colours {
inline constexpr const char* Body = "#8c5a3c";
inline constexpr const char* Prompt = "#0f8b8d";
inline constexpr const char* Grab = "#d62f2f";
inline constexpr const char* DragStart = "#2e9d4e";
inline constexpr const char* DragEnd = "#c0392b";
inline constexpr const char* Placement = "#e8a33d";
inline constexpr const char* Difference = "#d10fb0";
} // namespace colours

// The detection radius's circle.
std::string detectionRadiusStyle();
// Where the detection radius is drawn around the player: where each stretch of
// frames with no prompt and no body held begins, and again each time the
// player has gone a radius further; none when the radius is not a length.
std::vector<sim::Vec3> radiusCentres(const Track& track);

// The colour of the player's path in each drag state.
const char* phaseColour(DragPhase phase);

// The legend panel's width, in pixels, and the widest a character of its
// 12-pixel text may be taken to be (DejaVu Sans averages nearer 0.52 em).
inline constexpr double LegendWidth = 320.0;
inline constexpr double LegendCharWidth = 12.0 * 0.6;

// At most this many labels in the plot, beside the player's own and the frame
// numbers along the path; the rest are left out (and counted).
inline constexpr std::size_t MaxLabels = 60;

class PictureFrame {
  public:
    // The world shown is where the player went, the marks and the bodies
    // dragged, with the other peds a few metres around them.
    PictureFrame(const Track& track, const std::set<std::int32_t>& bodies);

    // The world shown, in world units, and the pixels per unit.
    double minX = 0, maxX = 0, minY = 0, maxY = 0, scale = 1;
    // The plot area and the whole canvas, in pixels.
    double left = 0, top = 0, width = 0, height = 0;
    double legendLeft = 0, canvasWidth = 0, canvasHeight = 0;

    // North is up.
    Px at(const sim::Vec3& p) const;
    // Whether another ped standing there is shown.
    bool shows(const sim::Vec3& p) const;
    double gridStep() const;
    double barLength() const;
    // Makes the canvas tall enough for a legend of this height.
    void fitLegend(double legendHeight);

    // Keeps a square around a drawn symbol free of labels, where they can.
    void reserve(Px centre, double radius);
    // Keeps every label off the box (the scale bar, the north arrow).
    void keepLabelsOff(Px corner, double w, double h) {
        placed_.push_back({corner.x, corner.y, w, h});
    }
    // A label near the anchor, placed (in the first free place around it) and
    // drawn by drawLabels, after every symbol has been reserved. Beyond
    // MaxLabels a label is left out, unless it is one that is always shown;
    // so is one that finds no place clear of the others.
    void label(Px anchor, const std::string& text, const std::string& colour, bool always = false);
    void drawLabels(Svg& svg);
    std::size_t labelsLeftOut() const { return leftOut_; }
    // The mark's symbol, and its label when `labelled`.
    void marker(Svg& svg, const Marker& marker, bool labelled);

  private:
    struct Box {
        double x, y, w, h;
    };
    struct Label {
        Px anchor;
        std::string text;
        std::string colour;
    };
    // Inside the plot and clear of the labels placed, and of the symbols too
    // when asked.
    bool free(const Box& box, bool ofSymbols) const;
    Box reach_{}; // where other peds are shown, in world units
    std::vector<Box> symbols_;
    std::vector<Box> placed_;
    std::vector<Label> labels_;
    std::size_t counted_ = 0; // labels that count toward MaxLabels
    std::size_t leftOut_ = 0;
};

void bodyFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& feet, float heading,
                const std::string& opacity);
// A lying ped whose heading is not known (a capture's): its head alone.
void bodyHead(Svg& svg, PictureFrame& frame, const sim::Vec3& at, const std::string& opacity);
void playerFigure(Svg& svg, PictureFrame& frame, const sim::Vec3& at, float heading,
                  const std::string& fill, const std::string& stroke);

// The legend panel: the key of every mark, then the facts of the run, each
// wrapped to the panel's width. Its height, in pixels, for these facts.
double legendHeight(const std::vector<std::string>& facts);
void drawLegend(Svg& svg, double left, double top, const std::vector<std::string>& facts);

} // namespace simtool
