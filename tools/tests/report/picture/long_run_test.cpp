// The picture of a long run stays readable: half an hour at 60 frames a
// second, 300 drags among 64 bodies and 16 onlookers, made as a track the
// way the brief's observer makes one (the picture is drawn from the track
// alone). Its legend stays inside its panel, its labels stay few and apart,
// and a part of the run, one drag or a range of frames, is drawn on its own.
#include "svg_picture.h"

#include "report/picture/picture.h"
#include "report/track_part.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

namespace {

using namespace picture_test;
using simtool::Marker;

constexpr int Drags = 300;
constexpr int FramesBetween = 120; // walking from one drag to the next
constexpr int PickupFrames = 30, DraggingFrames = 150, PutdownFrames = 25;

// Bodies on a grid 4 m apart; the player walks to each in turn, drags it
// 3 m north-east and puts it down.
simtool::Track halfHourOfDrags() {
    simtool::Track track;
    track.player = 1;
    std::int64_t frame = 0;
    sim::Vec3 player{-2, -2, 0};
    auto sample = [&](DragPhase phase, std::int32_t target) {
        ++frame;
        track.samples.push_back({frame, frame * 17, player, 0.0f, phase, target});
    };
    for (int i = 0; i < 64; ++i) {
        track.pedPaths[100 + i].push_back({0, {float(i % 8) * 4, float(i / 8) * 4, 0}});
        track.looks[100 + i] = {true, 0.0f};
    }
    for (int i = 0; i < 16; ++i) {
        track.pedPaths[200 + i].push_back({0, {float(i) * 2, -4, 0}});
    }
    for (int drag = 1; drag <= Drags; ++drag) {
        const std::int32_t body = 100 + (drag - 1) % 64;
        auto& path = track.pedPaths[body];
        const sim::Vec3 lay = path.back().at;
        const sim::Vec3 from = player;
        track.mark(Marker::Kind::Prompt, frame + 1, lay, "\"Drag\"");
        for (int f = 1; f <= FramesBetween; ++f) {
            const float share = float(f) / FramesBetween;
            player = {from.x + (lay.x - 0.6f - from.x) * share,
                      from.y + (lay.y - 0.6f - from.y) * share, 0};
            sample(DragPhase::Idle, 0);
        }
        track.mark(Marker::Kind::GrabPoint, frame + 1, {lay.x, lay.y + 0.05f, 0},
                   "grab point 0 (feet)");
        track.mark(Marker::Kind::Placement, frame + 1, player, "player placed", 316.0f);
        for (int f = 0; f < PickupFrames; ++f) {
            sample(DragPhase::PickingUp, body);
        }
        track.mark(Marker::Kind::DragStart, frame, player,
                   "drag " + std::to_string(drag) + " starts", 0.0f, drag);
        for (int f = 0; f < DraggingFrames; ++f) {
            player = {player.x + 0.014f, player.y + 0.014f, 0};
            sample(DragPhase::Dragging, body);
            path.push_back({frame, {player.x + 0.3f, player.y + 0.3f, 0}});
        }
        track.mark(Marker::Kind::DragEnd, frame, player, "put-down");
        track.mark(Marker::Kind::Drop, frame, path.back().at, "put down");
        for (int f = 0; f < PutdownFrames; ++f) {
            sample(DragPhase::PuttingDown, body);
        }
        sample(DragPhase::Idle, 0);
    }
    return track;
}

const simtool::Track& longRun() {
    static const simtool::Track track = halfHourOfDrags();
    return track;
}

Picture draw(const simtool::Track& track) {
    return readPictureText(
        simtool::pictureOf({"half_hour.pbcap", "a capture replayed", true}, track));
}

const Picture& longRunPicture() {
    static const Picture picture = draw(longRun());
    return picture;
}

// Where an element's ink may reach: a text's from its anchor along its
// characters, taken at 0.55 em each (DejaVu Sans averages about 0.52 em).
struct Extent {
    double left, top, right, bottom;
};

Extent extentOf(const Element& e) {
    if (e.name == "text") {
        const double size = e.number("font-size");
        const double width = double(e.text.size()) * 0.55 * size;
        const double x = e.number("x");
        const double left = e.get("text-anchor") == "middle" ? x - width / 2
                            : e.get("text-anchor") == "end"  ? x - width
                                                             : x;
        return {left, e.number("y") - size, left + width, e.number("y") + 0.25 * size};
    }
    if (e.name == "circle") {
        const double r = e.number("r");
        return {e.number("cx") - r, e.number("cy") - r, e.number("cx") + r, e.number("cy") + r};
    }
    if (e.name == "rect") {
        return {e.number("x"), e.number("y"), e.number("x") + e.number("width"),
                e.number("y") + e.number("height")};
    }
    std::vector<Point> points = e.points();
    if (e.name == "line") {
        points = {{e.number("x1"), e.number("y1")}, {e.number("x2"), e.number("y2")}};
    }
    Extent extent{points.front().x, points.front().y, points.front().x, points.front().y};
    for (Point p : points) {
        extent = {std::min(extent.left, p.x), std::min(extent.top, p.y),
                  std::max(extent.right, p.x), std::max(extent.bottom, p.y)};
    }
    return extent;
}

bool overlap(const Extent& a, const Extent& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The labels of the plot: its texts at the labels' size.
std::vector<Element> labelsOf(const Picture& picture) {
    std::vector<Element> labels;
    for (const Element& e : picture.plot) {
        if (e.name == "text" && e.get("font-size") == "11") {
            labels.push_back(e);
        }
    }
    return labels;
}

bool anyFact(const Picture& picture, const std::string& pattern) {
    return std::any_of(picture.facts.begin(), picture.facts.end(), [&](const std::string& fact) {
        return std::regex_search(fact, std::regex(pattern));
    });
}

TEST(LongRunPicture, TheLegendStaysInsideItsPanel) {
    const Picture& picture = longRunPicture();
    ASSERT_EQ(picture.legendBox.name, "rect");
    const Extent box = extentOf(picture.legendBox);
    ASSERT_FALSE(picture.inLegend.empty());
    for (const Element& e : picture.inLegend) {
        const Extent ink = extentOf(e);
        EXPECT_TRUE(ink.left >= box.left && ink.right <= box.right && ink.top >= box.top &&
                    ink.bottom <= box.bottom)
            << e.name << " \"" << e.text << "\" reaches (" << ink.left << ", " << ink.top << ")-("
            << ink.right << ", " << ink.bottom << "), outside the panel";
    }
    // The page holds the panel.
    EXPECT_GE(picture.plot.front().number("height"), box.bottom);
    // The facts count what the plot cannot label.
    EXPECT_TRUE(anyFact(picture, "^300 drags, "));
    EXPECT_TRUE(anyFact(picture, "^labels for drags 1 and 300 only"));
    EXPECT_TRUE(anyFact(picture, "^16 other peds, not named$"));
    EXPECT_TRUE(anyFact(picture, "grabbed by the feet 300 times"));
}

TEST(LongRunPicture, ItsLabelsStayFewAndApart) {
    const Picture& picture = longRunPicture();
    const std::vector<Element> labels = labelsOf(picture);
    // The first and last drags' marks and bodies, the player's start and end,
    // and the frame numbers along the path: far fewer than the run's 2,100
    // marks.
    EXPECT_LE(labels.size(), 40u);
    // Nor do they cover each other, or the scale bar's length and the north
    // arrow's N.
    std::vector<Element> texts = labels;
    for (const Element& e : picture.plot) {
        if (e.name == "text" && e.get("font-size") == "12") {
            texts.push_back(e);
        }
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            EXPECT_FALSE(overlap(extentOf(labels[i]), extentOf(texts[j])))
                << "\"" << labels[i].text << "\" and \"" << texts[j].text << "\" overlap";
        }
    }
    bool first = false, last = false, between = false;
    for (const Element& label : labels) {
        first = first || label.text.starts_with("drag 1 starts");
        last = last || label.text.starts_with("drag 300 starts");
        between = between || label.text.starts_with("drag 150 starts");
    }
    EXPECT_TRUE(first && last) << "the first and last drags are labelled";
    EXPECT_FALSE(between) << "the drags between them are not";
}

TEST(LongRunPicture, OneDragOrARangeOfFramesIsDrawnAlone) {
    const std::vector<simtool::FrameSpan> spans = simtool::dragSpans(longRun());
    ASSERT_EQ(spans.size(), std::size_t(Drags));
    // Drag 150: from the frame its pick-up began to the frame the player was
    // idle again.
    const int perDrag = FramesBetween + PickupFrames + DraggingFrames + PutdownFrames + 1;
    const simtool::FrameSpan drag = spans[149];
    EXPECT_EQ(drag.first, 149 * perDrag + FramesBetween + 1);
    EXPECT_EQ(drag.last, 150 * perDrag);
    const Picture picture = draw(simtool::partOf(longRun(), drag));
    std::vector<std::string> texts;
    for (const Element& label : labelsOf(picture)) {
        texts.push_back(label.text);
    }
    const std::string start =
        "drag 150 starts (frame " + std::to_string(drag.first + PickupFrames - 1) + ")";
    EXPECT_NE(std::find(texts.begin(), texts.end(), start), texts.end());
    EXPECT_TRUE(anyFact(picture, "^1 drag, 2\\.9[0-9] m walked while dragging$"));
    EXPECT_TRUE(anyFact(picture, "^frames " + std::to_string(drag.first) + " to " +
                                     std::to_string(drag.last) + " "));

    simtool::FrameSpan wanted;
    std::optional<std::string> wrong = simtool::chooseFrames(longRun(), {{}, 301}, wanted);
    ASSERT_TRUE(wrong.has_value());
    EXPECT_EQ(*wrong, "--drag 301: the run has 300 drags, 1 to 300");
    const std::int64_t frames = Drags * perDrag;
    wrong = simtool::chooseFrames(longRun(), {simtool::FrameSpan{10, frames + 1}, {}}, wanted);
    ASSERT_TRUE(wrong.has_value());
    EXPECT_EQ(*wrong, "--frames 10-" + std::to_string(frames + 1) + ": the run has frames 1 to " +
                          std::to_string(frames));
}

} // namespace
