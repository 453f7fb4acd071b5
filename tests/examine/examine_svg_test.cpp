// The picture of the structure rendered by a real SVG renderer (rsvg-convert) and read
// back pixel by pixel: the central body at the centre of both panels, a ring of Incl = 0
// and Ctilt = 0 flat in the x-z panel (and not flat when inclined), and every ring in
// its colour. Skipped where rsvg-convert is not installed.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "examine/svg_picture.hpp"
#include "support/program_run.hpp"
#include "support/parameter_file.hpp"
#include "support/program_run.hpp"

namespace korvane2::testing {
namespace {

using examine::Rgb;
using examine::SvgGeometry;

// An 8-bit RGB or RGBA PNG, decoded.
struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // row by row
  Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

std::uint32_t be32(const std::string& s, std::size_t at) {
  return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint32_t(std::uint8_t(s[at + 3]));
}

int paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Decodes the chunks, inflates the image data and undoes the row filters; fails the test
// on anything but a non-interlaced 8-bit RGB(A) image. Transparent pixels count as white.
Image decode_png(const std::string& png) {
  Image img;
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
    ADD_FAILURE() << "not a PNG";
    return img;
  }
  std::string idat;
  int channels = 0;
  for (std::size_t at = 8; at + 8 <= png.size();) {
    const std::uint32_t length = be32(png, at);
    const std::string type = png.substr(at + 4, 4);
    const std::string data = png.substr(at + 8, length);
    if (type == "IHDR") {
      img.width = static_cast<int>(be32(data, 0));
      img.height = static_cast<int>(be32(data, 4));
      const int depth = data[8], colour = data[9], interlace = data[12];
      channels = colour == 6 ? 4 : colour == 2 ? 3 : 0;
      if (depth != 8 || channels == 0 || interlace != 0) {
        ADD_FAILURE() << "unexpected PNG format " << depth << "/" << colour << "/" << interlace;
        return Image{};
      }
    }
    if (type == "IDAT") idat += data;
    at += 12 + length;
  }
  const std::size_t stride = static_cast<std::size_t>(img.width) * static_cast<std::size_t>(channels);
  std::vector<unsigned char> raw((stride + 1) * static_cast<std::size_t>(img.height));
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())) !=
          Z_OK ||
      rawSize != raw.size()) {
    ADD_FAILURE() << "PNG image data do not inflate";
    return Image{};
  }
  std::vector<unsigned char> prev(stride, 0), row(stride);
  for (int y = 0; y < img.height; ++y) {
    const unsigned char* line = &raw[static_cast<std::size_t>(y) * (stride + 1)];
    const int filter = line[0];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(channels) ? row[i - static_cast<std::size_t>(channels)] : 0;
      const int b = prev[i];
      const int c = i >= static_cast<std::size_t>(channels) ? prev[i - static_cast<std::size_t>(channels)] : 0;
      const int predictor = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : filter == 4 ? paeth(a, b, c) : 0;
      row[i] = static_cast<unsigned char>(line[1 + i] + predictor);
    }
    for (int x = 0; x < img.width; ++x) {
      const unsigned char* p = &row[static_cast<std::size_t>(x) * static_cast<std::size_t>(channels)];
      const bool transparent = channels == 4 && p[3] == 0;
      img.pixels.push_back(transparent ? Rgb{255, 255, 255} : Rgb{p[0], p[1], p[2]});
    }
    prev = row;
  }
  return img;
}

struct Pixels {
  long count = 0;
  double sumX = 0, sumY = 0;
  int top = 1 << 30, bottom = -1;
  void add(int x, int y) {
    ++count;
    sumX += x + 0.5;
    sumY += y + 0.5;
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
};

// The pixels of exactly one colour inside a panel, leaving out its frame.
Pixels in_panel(const Image& img, int panel, const Rgb& colour) {
  Pixels p;
  const int left = static_cast<int>(SvgGeometry::kPanelLeft[static_cast<std::size_t>(panel)]) + 3;
  const int top = static_cast<int>(SvgGeometry::kPanelTop) + 3;
  const int size = static_cast<int>(SvgGeometry::kPanelSize) - 6;
  for (int y = top; y < top + size && y < img.height; ++y)
    for (int x = left; x < left + size && x < img.width; ++x)
      if (img.at(x, y) == colour) p.add(x, y);
  return p;
}

class InspectSvg : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "rsvg-convert is not installed";
  }
  // Builds the structure, draws it with the ring summary and renders the picture.
  Image picture(const ParameterFile& p) {
    dir_.write("Korvane2.dat", p.text());
    const ProgramResult run = run_korvane2(dir_);
    EXPECT_EQ(run.status, 0) << run.err;
    const ProgramResult r = run_inspect(dir_, RunOptions{.args = {"--rings", "rngtbout.dat", "--svg", "s.svg", "ring.ini"}});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const std::string command = "rsvg-convert -o '" + dir_.file("s.png") + "' '" + dir_.file("s.svg") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return decode_png(dir_.read("s.png"));
  }

  TempDir dir_;
};

// Three flat rings: no tilt between the bodies and no inclination of the structure. Each
// ring then closes with its bodies two angle steps apart, so its body count is odd (13,
// 23 and 33 bodies at 1, 1.8 and 2.6 AU) lest two bodies fall on one place.
ParameterFile flat_rings() {
  return ParameterFile().set(1, "3").set(2, "13").set(7, "0.8").set(10, "0.0").set(14, "0.0");
}

TEST_F(InspectSvg, CentralBodyLiesAtTheCentreOfEachPanel) {
  const Image img = picture(flat_rings());
  ASSERT_GT(img.width, 0);
  for (int panel : {0, 1}) {
    const Pixels mark = in_panel(img, panel, examine::kCentralBodyColour);
    ASSERT_GT(mark.count, 20) << "panel " << panel;
    EXPECT_NEAR(mark.sumX / mark.count, SvgGeometry::centre_x(panel), 0.5) << "panel " << panel;
    EXPECT_NEAR(mark.sumY / mark.count, SvgGeometry::centre_y(), 0.5) << "panel " << panel;
    EXPECT_LT(mark.bottom - mark.top, 12) << "panel " << panel;  // one small mark, nothing else in black
  }
}

TEST_F(InspectSvg, EveryRingHasItsColourAndFlatRingsLieOnTheXAxisOfTheXZPanel) {
  const Image img = picture(flat_rings());
  ASSERT_GT(img.width, 0);
  for (int ring = 1; ring <= 3; ++ring) {
    const Pixels xy = in_panel(img, 0, examine::ring_colour(ring));
    const Pixels xz = in_panel(img, 1, examine::ring_colour(ring));
    // 13, 23 and 33 dots of a few pixels each.
    EXPECT_GT(xy.count, (3 + 10 * ring) * 4) << "ring " << ring;
    EXPECT_GT(xz.count, 0) << "ring " << ring;
    // In x-y the rings spread over the panel; in x-z they are a line through the centre.
    EXPECT_GT(xy.bottom - xy.top, 100) << "ring " << ring;
    EXPECT_GE(xz.top, SvgGeometry::centre_y() - 4) << "ring " << ring;
    EXPECT_LE(xz.bottom, SvgGeometry::centre_y() + 4) << "ring " << ring;
  }
  EXPECT_NE(examine::ring_colour(1), examine::ring_colour(2));
}

TEST_F(InspectSvg, InclinedRingsAreNotFlatInTheXZPanel) {
  const Image img = picture(flat_rings().set(14, "0.6"));
  ASSERT_GT(img.width, 0);
  // The outer ring, 5.2 AU across in x-y, tilted by 0.6 rad: sin 0.6 of its extent in z.
  const Pixels xz = in_panel(img, 1, examine::ring_colour(3));
  EXPECT_GT(xz.bottom - xz.top, 100);
}

}  // namespace
}  // namespace korvane2::testing
