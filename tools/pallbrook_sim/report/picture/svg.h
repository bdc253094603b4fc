// A small writer of SVG elements, in screen pixels.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace simtool {

struct Px {
    double x = 0.0;
    double y = 0.0;
};

class Svg {
  public:
    // Style is passed through as attributes, e.g. R"(stroke="#333" fill="none")".
    void line(Px a, Px b, const std::string& style);
    void polyline(const std::vector<Px>& points, const std::string& style);
    void polygon(const std::vector<Px>& points, const std::string& style);
    void circle(Px c, double r, const std::string& style);
    void rect(Px corner, double w, double h, const std::string& style);
    // Text is escaped; anchor is start, middle or end.
    void text(Px at, const std::string& text, const std::string& style,
              const std::string& anchor = "start");
    void raw(const std::string& element) { body_ += element + "\n"; }
    // The other's elements, after these.
    void append(const Svg& other) { body_ += other.body_; }

    std::string document(double width, double height) const;

  private:
    std::string body_;
};

std::string num(double value);
// The text as XML character data: the markup characters escaped, and a byte
// that is no UTF-8 character, or a control character, shown as "?".
std::string escapeXml(const std::string& text);

} // namespace simtool
