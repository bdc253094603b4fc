#include "report/picture/svg.h"

#include "printing/format.h"

namespace simtool {

std::string num(double value) {
    return fixed(value, 2);
}

namespace {

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes
// there are none (a settings file in another encoding).
std::size_t utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string escapeXml(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const std::size_t length = utf8Length(text, at);
        if (length == 0 || (static_cast<unsigned char>(c) < 0x20 && c != '\t')) {
            out += '?'; // no character XML can hold
            ++at;
            continue;
        }
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

namespace {
std::string pointList(const std::vector<Px>& points) {
    std::string list;
    for (const Px& p : points) {
        list += (list.empty() ? "" : " ") + num(p.x) + "," + num(p.y);
    }
    return list;
}
} // namespace

void Svg::line(Px a, Px b, const std::string& style) {
    raw("<line x1=\"" + num(a.x) + "\" y1=\"" + num(a.y) + "\" x2=\"" + num(b.x) + "\" y2=\"" +
        num(b.y) + "\" " + style + "/>");
}

void Svg::polyline(const std::vector<Px>& points, const std::string& style) {
    raw("<polyline points=\"" + pointList(points) + "\" " + style + "/>");
}

void Svg::polygon(const std::vector<Px>& points, const std::string& style) {
    raw("<polygon points=\"" + pointList(points) + "\" " + style + "/>");
}

void Svg::circle(Px c, double r, const std::string& style) {
    raw("<circle cx=\"" + num(c.x) + "\" cy=\"" + num(c.y) + "\" r=\"" + num(r) + "\" " + style +
        "/>");
}

void Svg::rect(Px corner, double w, double h, const std::string& style) {
    raw("<rect x=\"" + num(corner.x) + "\" y=\"" + num(corner.y) + "\" width=\"" + num(w) +
        "\" height=\"" + num(h) + "\" " + style + "/>");
}

void Svg::text(Px at, const std::string& text, const std::string& style,
               const std::string& anchor) {
    raw("<text x=\"" + num(at.x) + "\" y=\"" + num(at.y) + "\" text-anchor=\"" + anchor + "\" " +
        style + ">" + escapeXml(text) + "</text>");
}

std::string Svg::document(double width, double height) const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           num(width) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(width) + " " +
           num(height) + "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n" + body_ +
           "</svg>\n";
}

} // namespace simtool
