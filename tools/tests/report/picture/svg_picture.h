// Reads the SVG that `pallbrook-sim --svg` writes as a reader sees it: the
// plot, the legend's rows (each symbol with its caption) and the facts of the
// run, with each element's attributes and text.
#pragma once

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace picture_test {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

inline double distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text; // of a <text>, unescaped

    std::string get(const std::string& key) const {
        auto found = attributes.find(key);
        return found == attributes.end() ? "" : found->second;
    }
    double number(const std::string& key) const { return std::stod(get(key)); }
    std::vector<Point> points() const {
        std::vector<Point> list;
        std::istringstream in(get("points"));
        Point p;
        char comma = 0;
        while (in >> p.x >> comma >> p.y) {
            list.push_back(p);
        }
        return list;
    }
    // Where a mark stands: a circle's or a rectangle's centre, a polygon's
    // mean vertex, the start of a line or polyline.
    Point at() const {
        if (name == "circle") {
            return {number("cx"), number("cy")};
        }
        if (name == "rect") {
            return {number("x") + number("width") / 2, number("y") + number("height") / 2};
        }
        if (name == "line") {
            return {number("x1"), number("y1")};
        }
        std::vector<Point> list = points();
        if (name == "polyline") {
            return list.front();
        }
        Point sum;
        for (Point p : list) {
            sum = {sum.x + p.x / double(list.size()), sum.y + p.y / double(list.size())};
        }
        return sum;
    }
};

// How a reader matches a legend symbol with a mark: its kind, colours, dashes
// and opacity, not its size or place. A line and a polyline are alike.
inline std::string look(const Element& e) {
    bool line = e.name == "line" || e.name == "polyline";
    return (line ? "line" : e.name) + "|" + (line ? "" : e.get("fill")) + "|" + e.get("stroke") +
           "|" + e.get("stroke-dasharray") + "|" + e.get("opacity");
}

inline std::string unescape(std::string text) {
    const std::pair<std::string, std::string> entities[] = {
        {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1)) {
            text.replace(at, entity.size(), character);
        }
    }
    return text;
}

struct LegendRow {
    std::string caption;
    std::vector<Element> symbol;
};

// The picture in three parts: the plot (all drawn before the legend's box),
// the legend's rows (symbols, then their caption) and the facts of the run;
// and the legend's box with every element drawn in it.
struct Picture {
    std::vector<Element> plot;
    std::vector<LegendRow> legend;
    std::vector<std::string> facts;
    Element legendBox;
    std::vector<Element> inLegend;
};

inline Picture readPictureText(const std::string& svg) {
    static const std::regex tag(
        R"(<(line|polyline|polygon|circle|rect|text)\b([^>]*?)/?>(?:([^<]*)</text>)?)");
    static const std::regex attribute(R"re(([\w-]+)="([^"]*)")re");
    std::vector<Element> all;
    for (std::sregex_iterator it(svg.begin(), svg.end(), tag), end; it != end; ++it) {
        Element e{(*it)[1], {}, unescape((*it)[3])};
        std::string list = (*it)[2];
        for (std::sregex_iterator a(list.begin(), list.end(), attribute); a != end; ++a) {
            e.attributes[(*a)[1]] = (*a)[2];
        }
        all.push_back(e);
    }
    Picture picture;
    std::size_t heading = 0;
    while (heading < all.size() && all[heading].text != "Legend") {
        ++heading;
    }
    if (heading == all.size() || heading == 0) {
        return picture;
    }
    picture.plot.assign(all.begin(), all.begin() + long(heading) - 1);
    picture.legendBox = all[heading - 1];
    picture.inLegend.assign(all.begin() + long(heading), all.end());
    std::vector<Element> symbol;
    bool facts = false;
    for (std::size_t i = heading + 1; i < all.size(); ++i) {
        const Element& e = all[i];
        if (e.name != "text") {
            symbol.push_back(e);
        } else if (e.text == "This run") {
            facts = true;
        } else if (facts) {
            picture.facts.push_back(e.text);
        } else {
            picture.legend.push_back({e.text, symbol});
            symbol.clear();
        }
    }
    return picture;
}

inline Picture readPicture(const char* path) {
    std::ifstream in(path == nullptr ? "" : path);
    std::stringstream content;
    content << in.rdbuf();
    return readPictureText(content.str());
}

} // namespace picture_test
