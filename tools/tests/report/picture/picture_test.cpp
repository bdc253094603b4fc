// The picture that `pallbrook-sim run scenarios/demo.json --svg FILE` draws,
// read as a reader reads it: the legend explains each mark of the run, and the
// marks stand where the scenario puts the player, the body, the grab point and
// the prompts, at the scale that the bar and the grid give. No pixel is
// compared. Then the picture that `replay --svg` draws of the demo's released
// capture, without the scenario's names: from the capture alone it draws the
// drag where the run does. The pictures are demo.svg and demo-capture.svg in
// the folder PALLBROOK_PICTURES.
#include "svg_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

using namespace picture_test;

Picture readDrawn(const char* name) {
    const char* folder = std::getenv("PALLBROOK_PICTURES");
    return readPicture((std::string(folder != nullptr ? folder : ".") + "/" + name).c_str());
}

const Picture& demo() {
    static const Picture picture = readDrawn("demo.svg");
    return picture;
}

const Picture& demoCapture() {
    static const Picture picture = readDrawn("demo-capture.svg");
    return picture;
}

// The one legend row whose caption holds the words.
const LegendRow* legendRow(const Picture& picture, const std::string& words) {
    const LegendRow* found = nullptr;
    for (const LegendRow& row : picture.legend) {
        if (row.caption.find(words) != std::string::npos) {
            EXPECT_EQ(found, nullptr) << "two legend rows say \"" << words << "\"";
            found = &row;
        }
    }
    EXPECT_NE(found, nullptr) << "no legend row says \"" << words << "\"";
    return found;
}

// The marks of the plot that look like the symbol of that legend row, of one
// kind of element.
std::vector<Element> marksOf(const Picture& picture, const std::string& words,
                             const std::string& kind) {
    std::vector<Element> marks;
    const LegendRow* row = legendRow(picture, words);
    if (row == nullptr) {
        return marks;
    }
    for (const Element& mark : picture.plot) {
        for (const Element& symbol : row->symbol) {
            if (mark.name == kind && look(mark) == look(symbol)) {
                marks.push_back(mark);
                break;
            }
        }
    }
    return marks;
}

// The groups of the first fact of the run that the pattern finds; none when
// no fact has it.
std::vector<std::string> factMatching(const Picture& picture, const std::string& pattern) {
    for (const std::string& fact : picture.facts) {
        std::smatch match;
        if (std::regex_search(fact, match, std::regex(pattern))) {
            return {match.begin(), match.end()};
        }
    }
    ADD_FAILURE() << "no fact of the run matches " << pattern;
    return {};
}

// World to picture: the pixels of a metre from the scale bar, and the origin
// from the body where it lay, which the scenario puts at (1, 1). North is up.
struct WorldMap {
    double pixelsPerMetre = 0.0;
    Point origin;
    Point at(double x, double y) const {
        return {origin.x + x * pixelsPerMetre, origin.y - y * pixelsPerMetre};
    }
    // Where in the world, in metres, a point of the picture stands.
    Point world(Point p) const {
        return {(p.x - origin.x) / pixelsPerMetre, (origin.y - p.y) / pixelsPerMetre};
    }
};

WorldMap demoMap(const Picture& picture) {
    WorldMap map;
    static const std::regex barLabel(R"(^([0-9]+) (m|cm)$)");
    for (const Element& label : picture.plot) {
        std::smatch match;
        if (label.name != "text" || !std::regex_match(label.text, match, barLabel)) {
            continue;
        }
        double metres = std::stod(match[1]) / (match[2] == "cm" ? 100.0 : 1.0);
        for (const Element& bar : picture.plot) {
            if (bar.name == "line" && bar.number("y1") == bar.number("y2") &&
                std::abs((bar.number("x1") + bar.number("x2")) / 2 - label.number("x")) < 0.5 &&
                bar.number("y1") > label.number("y") && bar.number("y1") < label.number("y") + 20) {
                map.pixelsPerMetre = std::abs(bar.number("x2") - bar.number("x1")) / metres;
            }
        }
    }
    std::vector<Element> lay = marksOf(picture, "body where it lay", "line");
    if (!lay.empty()) {
        Point feet = lay.front().at();
        map.origin = {feet.x - map.pixelsPerMetre, feet.y + map.pixelsPerMetre};
    }
    return map;
}

bool anyAt(const std::vector<Element>& marks, Point place, double within) {
    for (const Element& mark : marks) {
        if (distance(mark.at(), place) <= within) {
            return true;
        }
    }
    return false;
}

// Coordinates are written to a tenth of a pixel.
constexpr double Rounding = 0.15;

TEST(DemoPicture, TheLegendExplainsEachMarkOfTheRun) {
    const Picture& picture = demo();
    ASSERT_FALSE(picture.legend.empty()) << "no legend in demo.svg";
    // The player's path takes the colour of the drag state: a row and a
    // colour of its own for each.
    std::vector<std::string> colours;
    for (const char* state : {"walking", "picking up", "dragging", "putting down"}) {
        const LegendRow* row = legendRow(picture, std::string("player ") + state);
        if (row != nullptr && !row->symbol.empty()) {
            colours.push_back(row->symbol.front().get("stroke"));
        }
    }
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(std::unique(colours.begin(), colours.end()) - colours.begin(), 4);

    const std::pair<const char*, const char*> drawn[] = {{"player dragging", "polyline"},
                                                         {"path of the body", "polyline"},
                                                         {"body where it lay", "line"},
                                                         {"body at the end", "line"},
                                                         {"prompt", "polygon"},
                                                         {"grab point", "circle"},
                                                         {"placed for the pick-up", "circle"},
                                                         {"drag starts", "polygon"},
                                                         {"drag ends", "rect"},
                                                         {"let go", "circle"},
                                                         {"player at the end", "polygon"}};
    for (const auto& [words, kind] : drawn) {
        EXPECT_FALSE(marksOf(picture, words, kind).empty())
            << "the plot has no " << kind << " like the legend's \"" << words << "\"";
    }
}

TEST(DemoPicture, TheScaleBarTheGridAndThePedsAgree) {
    const Picture& picture = demo();
    WorldMap map = demoMap(picture);
    ASSERT_GT(map.pixelsPerMetre, 0.0) << "no scale bar with its length in m or cm";

    std::vector<std::string> grid = factMatching(picture, R"(^grid: ([0-9.]+) m)");
    ASSERT_EQ(grid.size(), 2u);
    double step = std::stod(grid[1]);
    // The grid's lines that cross the whole plot from north to south.
    double plotHeight = 0.0;
    for (const Element& frame : picture.plot) {
        if (frame.name == "rect" && frame.number("y") > 0) {
            plotHeight = std::max(plotHeight, frame.number("height"));
        }
    }
    std::vector<double> columns;
    for (const Element& line : picture.plot) {
        if (line.name == "line" && line.number("x1") == line.number("x2") &&
            std::abs(line.number("y2") - line.number("y1") - plotHeight) < Rounding) {
            columns.push_back(line.number("x1"));
        }
    }
    ASSERT_GE(columns.size(), 3u) << "no grid";
    for (std::size_t i = 1; i < columns.size(); ++i) {
        EXPECT_NEAR(columns[i] - columns[i - 1], step * map.pixelsPerMetre, 2 * Rounding);
    }

    // The player starts at (0, 0), the onlooker stands at (-2.5, 1.5).
    std::vector<Element> circles;
    std::copy_if(picture.plot.begin(), picture.plot.end(), std::back_inserter(circles),
                 [](const Element& e) { return e.name == "circle"; });
    EXPECT_TRUE(anyAt(circles, map.at(0.0, 0.0), Rounding)) << "the player's start";
    EXPECT_TRUE(anyAt(circles, map.at(-2.5, 1.5), Rounding)) << "the onlooker";
}

TEST(DemoPicture, ThePathsJoinTheMarksOfTheDrag) {
    const Picture& picture = demo();
    WorldMap map = demoMap(picture);
    std::vector<Element> dragging = marksOf(picture, "player dragging", "polyline");
    std::vector<Element> body = marksOf(picture, "path of the body", "polyline");
    ASSERT_EQ(dragging.size(), 1u) << "one drag, one stretch of dragging";
    ASSERT_EQ(body.size(), 1u);
    std::vector<Point> player = dragging.front().points();
    std::vector<Point> feet = body.front().points();

    // The drag starts where the pick-up placed the player, (0.6207, 0.6517)
    // in the scenario, and the player ends where it ends, facing 271.4
    // degrees (east, a degree and a half north of it).
    double metre = map.pixelsPerMetre;
    EXPECT_LT(distance(player.front(), map.at(0.6207, 0.6517)), 0.01 * metre + Rounding);
    EXPECT_TRUE(
        anyAt(marksOf(picture, "placed for the pick-up", "circle"), player.front(), Rounding));
    EXPECT_TRUE(anyAt(marksOf(picture, "drag starts", "polygon"), player.front(), 2.0));
    EXPECT_TRUE(anyAt(marksOf(picture, "drag ends", "rect"), player.back(), Rounding));
    std::vector<Element> end = marksOf(picture, "player at the end", "polygon");
    ASSERT_EQ(end.size(), 1u);
    std::vector<Point> arrow = end.front().points();
    ASSERT_EQ(arrow.size(), 3u);
    // The tip is the corner farthest from the middle; the player stands
    // between the other two.
    Point middle = end.front().at();
    std::size_t tip = 0;
    for (std::size_t i = 1; i < arrow.size(); ++i) {
        tip = distance(arrow[i], middle) > distance(arrow[tip], middle) ? i : tip;
    }
    Point a = arrow[(tip + 1) % 3];
    Point b = arrow[(tip + 2) % 3];
    Point stands{(a.x + b.x) / 2, (a.y + b.y) / 2};
    EXPECT_LT(distance(stands, player.back()), Rounding * 2);
    double facing = std::atan2(-(arrow[tip].y - stands.y), arrow[tip].x - stands.x);
    const double degree = std::acos(-1.0) / 180.0;
    // A heading counts anticlockwise from north.
    EXPECT_NEAR(facing, (271.4 + 90.0 - 360.0) * degree, 1.0 * degree);

    // The length drawn is the length the run's facts tell.
    std::vector<std::string> walked =
        factMatching(picture, R"(^([0-9]+) drags?, ([0-9.]+) m walked while dragging)");
    ASSERT_EQ(walked.size(), 3u);
    EXPECT_EQ(walked[1], "1");
    double length = 0.0;
    for (std::size_t i = 1; i < player.size(); ++i) {
        length += distance(player[i - 1], player[i]);
    }
    EXPECT_NEAR(length / metre, std::stod(walked[2]), 0.01 * std::stod(walked[2]));

    // The body's feet go from where it lay to where it was let go, within a
    // metre of the player at the end of the drag.
    EXPECT_TRUE(anyAt(marksOf(picture, "body where it lay", "line"), feet.front(), Rounding));
    EXPECT_TRUE(anyAt(marksOf(picture, "body at the end", "line"), feet.back(), Rounding));
    EXPECT_TRUE(anyAt(marksOf(picture, "let go", "circle"), feet.back(), Rounding));
    EXPECT_LT(distance(feet.back(), player.back()), metre);
}

TEST(DemoPicture, TheGrabPointAndThePromptsStandOnTheBody) {
    const Picture& picture = demo();
    WorldMap map = demoMap(picture);
    double metre = map.pixelsPerMetre;
    // Grabbed by the feet, at frame 26: their midpoint is (1.0, 1.05).
    EXPECT_TRUE(anyAt(marksOf(picture, "grab point", "circle"), map.at(1.0, 1.05),
                      0.01 * metre + Rounding));
    factMatching(picture, R"(^grabbed by the feet \(frame 26\)$)");

    // "Drag" on the body where it lay from the start, "Drop" there at frame
    // 58, "Drag" again where it was let go at frame 241.
    std::vector<Element> body = marksOf(picture, "path of the body", "polyline");
    ASSERT_EQ(body.size(), 1u);
    Point letGo = body.front().points().back();
    std::vector<Element> prompts = marksOf(picture, "prompt", "polygon");
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_LT(distance(prompts[0].at(), map.at(1.0, 1.0)), Rounding);
    EXPECT_LT(distance(prompts[1].at(), map.at(1.0, 1.0)), Rounding);
    EXPECT_LT(distance(prompts[2].at(), letGo), Rounding);
    std::vector<std::pair<std::string, int>> labels;
    static const std::regex promptLabel(R"re(^prompt "(\w+)" \(frame ([0-9]+)\)$)re");
    for (const Element& text : picture.plot) {
        std::smatch match;
        if (text.name == "text" && std::regex_match(text.text, match, promptLabel)) {
            labels.emplace_back(match[1], std::stoi(match[2]));
        }
    }
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0].first, "Drag");
    EXPECT_LE(labels[0].second, 5);
    EXPECT_EQ(labels[1], std::make_pair(std::string("Drop"), 58));
    EXPECT_EQ(labels[2], std::make_pair(std::string("Drag"), 241));
}

TEST(DemoCapturePicture, TheCaptureAloneDrawsTheDragWhereTheRunDoes) {
    const Picture& capture = demoCapture();
    const Picture& run = demo();
    WorldMap map = demoMap(capture);
    WorldMap runMap = demoMap(run);
    ASSERT_GT(map.pixelsPerMetre, 0.0) << "no scale bar, or no body where it lay, in "
                                       << "demo-capture.svg";
    ASSERT_GT(runMap.pixelsPerMetre, 0.0);
    const double metre = map.pixelsPerMetre;
    // As the scenario has it: the player starts at the origin, is placed at
    // (0.6207, 0.6517) and grabs the feet, whose midpoint is (1.0, 1.05).
    std::vector<Element> circles;
    std::copy_if(capture.plot.begin(), capture.plot.end(), std::back_inserter(circles),
                 [](const Element& e) { return e.name == "circle"; });
    EXPECT_TRUE(anyAt(circles, map.at(0.0, 0.0), Rounding)) << "the player's start";
    EXPECT_TRUE(anyAt(marksOf(capture, "placed for the pick-up", "circle"), map.at(0.6207, 0.6517),
                      0.01 * metre + Rounding));
    EXPECT_TRUE(anyAt(marksOf(capture, "grab point", "circle"), map.at(1.0, 1.05),
                      0.01 * metre + Rounding));
    factMatching(capture, R"(^grabbed by the feet \(frame 26\)$)");
    factMatching(capture, R"(^1 drag, )");

    // Where the run's world put the player at the end, and the body, on
    // which the last prompt stood: the capture tells the same places.
    auto sameWorldPlace = [&](const std::string& words, const std::string& kind, std::size_t i) {
        std::vector<Element> mine = marksOf(capture, words, kind);
        std::vector<Element> theirs = marksOf(run, words, kind);
        ASSERT_GT(mine.size(), i) << words;
        ASSERT_GT(theirs.size(), i) << words;
        Point a = map.world(mine[i].at());
        Point b = runMap.world(theirs[i].at());
        EXPECT_LT(distance(a, b), 0.01) << words << " at (" << a.x << ", " << a.y
                                        << "), the run's at (" << b.x << ", " << b.y << ")";
    };
    sameWorldPlace("player at the end", "polygon", 0);
    sameWorldPlace("prompt", "polygon", 2);
    // While dragging the capture tells the player's hands, not where the
    // player stands: within half a metre of the run's path.
    std::vector<Element> dragging = marksOf(capture, "player dragging", "polyline");
    std::vector<Element> runDragging = marksOf(run, "player dragging", "polyline");
    ASSERT_EQ(dragging.size(), 1u);
    ASSERT_EQ(runDragging.size(), 1u);
    for (Point p : dragging.front().points()) {
        double nearest = 1e9;
        for (Point q : runDragging.front().points()) {
            nearest = std::min(nearest, distance(map.world(p), runMap.world(q)));
        }
        EXPECT_LT(nearest, 0.5);
    }
}

} // namespace
