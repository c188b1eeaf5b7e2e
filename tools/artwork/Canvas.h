#pragma once
// A small anti-aliased drawing surface: premultiplied floating-point RGBA, filled
// polygons (exact horizontal coverage, 16 sub-scanlines), distance-based discs and
// lines, Gaussian glows, and deterministic PNG output through libpng.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/uikit/SymbolPathFlattening.h"
#include "platform/uikit/SystemSymbolCatalogue.h"

namespace kavro::artwork {

// A straight (not premultiplied) colour with components in 0...1.
struct Color {
  double red = 0, green = 0, blue = 0, alpha = 1;

  Color withAlpha(double value) const { return {red, green, blue, value}; }
  // Mixed towards `other` by `amount` (0 keeps this colour).
  Color mixed(const Color& other, double amount) const;
  static Color rgb(double red, double green, double blue) { return {red, green, blue, 1}; }
};

enum class FillRule { nonZero, evenOdd };

// The colour at a pixel centre, for gradients; a plain colour otherwise.
using Paint = std::function<Color(double x, double y)>;

// Where a 0...100 view box lands on the canvas: origin and scale.
struct Placement {
  double x = 0, y = 0, scale = 1;
};

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }

  // Polygons in canvas pixels.
  void fill(const std::vector<kavro::platform::uikit::SymbolContour>& contours, FillRule rule, const Paint& paint);
  void fill(const std::vector<kavro::platform::uikit::SymbolContour>& contours, FillRule rule, const Color& color);
  // SVG path data in a 0...100 view box, placed on the canvas. Throws on malformed data.
  void fillPath(const std::string& svgPath, const Placement& placement, FillRule rule,
                const Paint& paint);
  void fillPath(const std::string& svgPath, const Placement& placement, FillRule rule,
                const Color& color);

  // A disc with an anti-aliased rim.
  void disc(double cx, double cy, double radius, const Color& color);
  // A line with round ends; thinner than a pixel it fades instead of thinning.
  void line(double x0, double y0, double x1, double y1, double width, const Color& color);
  // A line whose width runs from `width0` to `width1` and whose alpha fades likewise.
  void taperedLine(double x0, double y0, double x1, double y1, double width0, double width1,
                   const Color& color);
  // A Gaussian glow: alpha `color.alpha` at the centre, standard deviation `sigma`.
  void glow(double cx, double cy, double sigma, const Color& color);
  // An elliptical Gaussian glow turned by `angle` radians.
  void glow(double cx, double cy, double sigmaX, double sigmaY, double angle, const Color& color);

  // Composites another canvas over this one at (x, y), scaled by `opacity`.
  void draw(const Canvas& other, int x, int y, double opacity = 1);
  // Fades everything out towards the canvas edges over `margin` pixels, so that soft
  // shapes end smoothly instead of at the border.
  void fadeEdges(double margin);
  // Everything under the canvas: makes it opaque over `background`.
  void flattenOnto(const Color& background);

  // Writes 8-bit RGBA with straight alpha. Throws std::runtime_error on failure.
  void writePng(const std::filesystem::path& path) const;

 private:
  struct Pixel {
    float red = 0, green = 0, blue = 0, alpha = 0;
  };
  void blend(int x, int y, const Color& color, double coverage);

  int width_;
  int height_;
  std::vector<Pixel> pixels_;
};

// Deterministic pseudo-random numbers (SplitMix64), the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  // Uniform in [low, high).
  double uniform(double low = 0, double high = 1);

 private:
  std::uint64_t state_;
};

// Path-data helpers for view-box drawings.
namespace shapes {
std::string circle(double cx, double cy, double radius, bool clockwise = true);
std::string ellipse(double cx, double cy, double rx, double ry, bool clockwise = true);
std::string rect(double x, double y, double width, double height, bool clockwise = true);
std::string roundedRect(double x, double y, double width, double height, double radius,
                        bool clockwise = true);
// Every contour helper winds clockwise on screen unless asked otherwise; a contour
// wound the other way inside another one is a hole under either fill rule.
std::string polygon(const std::vector<kavro::platform::uikit::SymbolPoint>& points, bool clockwise = true);
std::string rotatedEllipse(double cx, double cy, double rx, double ry, double degrees,
                           bool clockwise = true);
// A band of `width` along a polyline, with round joints and ends (fill non-zero).
std::string stroke(const std::vector<kavro::platform::uikit::SymbolPoint>& points, double width);
// A band along a circular arc (angles in degrees, clockwise on screen from +x).
std::string arcBand(double cx, double cy, double radius, double width, double fromDegrees,
                    double toDegrees);
}  // namespace shapes

}  // namespace kavro::artwork
