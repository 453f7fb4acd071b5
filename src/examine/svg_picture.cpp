// SVG drawing of the structure: one common scale for both panels, chosen from the
// largest offset of any body from the central body, and rounded to a tidy number.
#include "examine/svg_picture.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "examine/physical_constants.hpp"
#include "examine/text_format.hpp"

namespace korvane2::examine {

namespace {

constexpr std::array<Rgb, 10> kPalette{{{31, 119, 180},
                                        {255, 127, 14},
                                        {44, 160, 44},
                                        {214, 39, 40},
                                        {148, 103, 189},
                                        {140, 86, 75},
                                        {227, 119, 194},
                                        {127, 127, 127},
                                        {188, 189, 34},
                                        {23, 190, 207}}};

constexpr const char* kInk = "#333333";
constexpr const char* kGuide = "#dddddd";

std::string hex(const Rgb& c) { return format("#%02x%02x%02x", c[0], c[1], c[2]); }

std::string escaped(const std::string& text) {
  std::string out;
  for (char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (static_cast<unsigned char>(ch) >= 32) out += ch;
    }
  }
  return out;
}

// The smallest of 1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8 times a power of ten that is at
// least v.
double tidy_above(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 1.0;
  const double decade = std::pow(10.0, std::floor(std::log10(v)));
  for (double f : {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0})
    if (f * decade >= v * (1.0 - 1e-12)) return f * decade;
  return 10.0 * decade;
}

struct Panel {
  int index;
  int vertical;  // component drawn upwards: 1 (y) or 2 (z)
  const char* name;
};

class Picture {
 public:
  Picture(const InitialData& data, const RingMembership* rings) : data_(data), rings_(rings) {
    const BodyRecord& c = data.bodies.front();
    centre_ = {c.x(0), c.x(1), c.x(2)};
    double extent = 0.0;
    for (const BodyRecord& b : data.bodies)
      if (b.mass() != 0.0)
        for (int k = 0; k < 3; ++k) extent = std::max(extent, std::fabs(b.x(k) - centre_[static_cast<std::size_t>(k)]));
    half_ = tidy_above(extent * 1.05);
    scale_ = SvgGeometry::kPanelSize / 2.0 / half_;
  }

  double px(const Panel& p, double x) const { return SvgGeometry::centre_x(p.index) + (x - centre_[0]) * scale_; }
  double py(const Panel& p, double v) const {
    return SvgGeometry::centre_y() - (v - centre_[static_cast<std::size_t>(p.vertical)]) * scale_;
  }

  int ring_of(std::size_t body) const {
    if (body == 0) return kCentralBody;
    if (rings_ == nullptr) return 1;
    return body < rings_->ringOfBody.size() ? rings_->ringOfBody[body] : kNoRing;
  }

  std::string panel(const Panel& p) const {
    const double left = SvgGeometry::kPanelLeft[static_cast<std::size_t>(p.index)];
    const double top = SvgGeometry::kPanelTop, size = SvgGeometry::kPanelSize;
    std::string out;
    out += format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" font-size=\"15\">%s projection</text>\n",
                  left + size / 2.0, top - 12.0, p.name);
    // Guides through the central body.
    out += format("<g stroke=\"%s\" stroke-width=\"1\">", kGuide);
    out += format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>", left, SvgGeometry::centre_y(),
                  left + size, SvgGeometry::centre_y());
    out += format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"/>", SvgGeometry::centre_x(p.index), top,
                  SvgGeometry::centre_x(p.index), top + size);
    out += "</g>\n";

    // Ring bodies, ring by ring.
    const double dot = data_.bodies.size() > 2000 ? 1.5 : 2.5;
    const int rings = rings_ != nullptr ? static_cast<int>(rings_->rings.size()) : 1;
    for (int ring = kNoRing; ring <= rings; ++ring) {
      if (ring == kCentralBody) continue;
      std::string dots;
      for (std::size_t j = 1; j < data_.bodies.size(); ++j) {
        const BodyRecord& b = data_.bodies[j];
        if (b.mass() == 0.0 || ring_of(j) != ring) continue;
        dots += format("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.1f\"/>", px(p, b.x(0)), py(p, b.x(p.vertical)), dot);
      }
      if (dots.empty()) continue;
      const std::string colour = ring == kNoRing ? std::string(kInk) : hex(ring_colour(ring));
      out += "<g fill=\"" + colour + "\">" + dots + "</g>\n";
    }
    // The central body on top, at the centre of the panel.
    out += format("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"4.5\" fill=\"%s\"/>\n", SvgGeometry::centre_x(p.index),
                  SvgGeometry::centre_y(), hex(kCentralBodyColour).c_str());

    out += format("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"%s\"/>\n", left,
                  top, size, size, kInk);
    out += axes(p);
    return out;
  }

  // Ticks at multiples of half the half-width, labelled in length units and in AU.
  std::string axes(const Panel& p) const {
    const double left = SvgGeometry::kPanelLeft[static_cast<std::size_t>(p.index)];
    const double top = SvgGeometry::kPanelTop, size = SvgGeometry::kPanelSize, bottom = top + size;
    const double step = half_ / 2.0;
    const double toAU = data_.Runit() / kAstronomicalUnit;
    std::string out = format("<g font-size=\"11\" fill=\"%s\" stroke=\"none\">\n", kInk);
    // Multiples of the step that fall on the panel (to half a pixel).
    auto ticks = [&](double centre) {
      std::vector<double> values;
      const long first = static_cast<long>(std::floor((centre - half_) / step));
      const long last = static_cast<long>(std::ceil((centre + half_) / step));
      for (long k = first; k <= last; ++k) {
        const double v = static_cast<double>(k) * step;
        if (std::fabs((v - centre) * scale_) <= size / 2.0 + 0.5) values.push_back(v);
      }
      return values;
    };
    for (double v : ticks(centre_[0])) {
      const double x = px(p, v);
      out += format("<line x1=\"%.2f\" y1=\"%.1f\" x2=\"%.2f\" y2=\"%.1f\" stroke=\"%s\"/>", x, bottom, x, bottom + 5,
                    kInk);
      out += format("<text x=\"%.2f\" y=\"%.1f\" text-anchor=\"middle\">%.4g</text>", x, bottom + 17, v);
      out += format("<text x=\"%.2f\" y=\"%.1f\" text-anchor=\"middle\">%.3g AU</text>\n", x, bottom + 30, v * toAU);
    }
    for (double v : ticks(centre_[static_cast<std::size_t>(p.vertical)])) {
      const double y = py(p, v);
      out += format("<line x1=\"%.1f\" y1=\"%.2f\" x2=\"%.1f\" y2=\"%.2f\" stroke=\"%s\"/>", left - 5, y, left, y,
                    kInk);
      if (y > bottom - 1.0) continue;  // the corner belongs to the labels of the x axis
      out += format("<text x=\"%.1f\" y=\"%.2f\" text-anchor=\"end\">%.4g</text>", left - 8, y - 2, v);
      out += format("<text x=\"%.1f\" y=\"%.2f\" text-anchor=\"end\">%.3g AU</text>\n", left - 8, y + 10, v * toAU);
    }
    const char* vertical = p.vertical == 1 ? "y" : "z";
    out += format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" font-size=\"13\">x (length units)</text>\n",
                  left + size / 2.0, bottom + 48);
    out += format("<text transform=\"translate(%.1f %.1f) rotate(-90)\" text-anchor=\"middle\" font-size=\"13\">"
                  "%s (length units)</text>\n",
                  left - 72, top + size / 2.0, vertical);
    out += "</g>\n";
    return out;
  }

  std::string legend(double top) const {
    struct Entry {
      std::string colour, label;
    };
    std::vector<Entry> entries{{hex(kCentralBodyColour), "central body (body 1)"}};
    if (rings_ == nullptr) {
      entries.push_back({hex(ring_colour(1)), format("bodies 2-%zu (rings not known)", data_.bodies.size())});
    } else {
      for (std::size_t r = 0; r < rings_->rings.size(); ++r)
        entries.push_back({hex(ring_colour(static_cast<int>(r + 1))),
                           format("ring %zu (%d bodies)", r + 1, rings_->rings[r].N3)});
    }
    std::string out = "<g font-size=\"12\">\n";
    for (std::size_t e = 0; e < entries.size(); ++e) {
      const double x = 100.0 + static_cast<double>(e % 4) * 220.0;
      const double y = top + static_cast<double>(e / 4) * 22.0;
      out += format("<rect x=\"%.1f\" y=\"%.1f\" width=\"12\" height=\"12\" fill=\"%s\"/>", x, y - 10,
                    entries[e].colour.c_str());
      out += format("<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\">%s</text>\n", x + 18, y, kInk,
                    escaped(entries[e].label).c_str());
    }
    out += "</g>\n";
    return out;
  }

  std::size_t legend_rows() const {
    const std::size_t entries = 1 + (rings_ == nullptr ? 1 : rings_->rings.size());
    return (entries + 3) / 4;
  }

  double length_unit_in_au() const { return data_.Runit() / kAstronomicalUnit; }

 private:
  const InitialData& data_;
  const RingMembership* rings_;
  std::array<double, 3> centre_{};
  double half_ = 1.0;
  double scale_ = 1.0;
};

}  // namespace

Rgb ring_colour(int ring) { return kPalette[static_cast<std::size_t>((ring - 1 + 1000) % 10)]; }

std::string svg_picture(const std::string& title, const InitialData& data, const RingMembership* rings) {
  const double legendTop = SvgGeometry::kPanelTop + SvgGeometry::kPanelSize + 85.0;
  std::string out;
  if (data.bodies.empty()) return out;
  Picture picture(data, rings);
  const double height = legendTop + static_cast<double>(picture.legend_rows()) * 22.0 + 10.0;
  out += format("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\" "
                "font-family=\"sans-serif\">\n",
                SvgGeometry::kWidth, height, SvgGeometry::kWidth, height);
  out += format("<rect x=\"0\" y=\"0\" width=\"%.0f\" height=\"%.0f\" fill=\"#ffffff\"/>\n", SvgGeometry::kWidth,
                height);
  out += format("<text x=\"%.1f\" y=\"24\" text-anchor=\"middle\" font-size=\"16\" fill=\"%s\">%s: %zu bodies; "
                "1 length unit = %.6g AU</text>\n",
                SvgGeometry::kWidth / 2.0, kInk, escaped(title).c_str(), data.bodies.size(),
                picture.length_unit_in_au());
  out += picture.panel(Panel{0, 1, "x-y"});
  out += picture.panel(Panel{1, 2, "x-z"});
  out += picture.legend(legendTop);
  out += "</svg>\n";
  return out;
}

}  // namespace korvane2::examine
