#include "tools/artwork/Canvas.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace kavro::artwork {

namespace {

constexpr int kSubScanlines = 16;

double clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

// Distance from p to the segment a-b, and where along it (0...1) the nearest point lies.
std::pair<double, double> segmentDistance(double px, double py, double ax, double ay, double bx,
                                          double by) {
  double dx = bx - ax, dy = by - ay;
  double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0 ? clamp01(((px - ax) * dx + (py - ay) * dy) / lengthSquared) : 0;
  return {std::hypot(px - (ax + t * dx), py - (ay + t * dy)), t};
}

struct Edge {
  double x0, y0, x1, y1;
  int direction;  // +1 downwards, -1 upwards
};

}  // namespace

Color Color::mixed(const Color& other, double amount) const {
  return {red + (other.red - red) * amount, green + (other.green - green) * amount,
          blue + (other.blue - blue) * amount, alpha + (other.alpha - alpha) * amount};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}

void Canvas::blend(int x, int y, const Color& color, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  double alpha = clamp01(color.alpha * coverage);
  if (alpha <= 0) return;
  Pixel& pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
  double keep = 1 - alpha;
  pixel.red = static_cast<float>(color.red * alpha + pixel.red * keep);
  pixel.green = static_cast<float>(color.green * alpha + pixel.green * keep);
  pixel.blue = static_cast<float>(color.blue * alpha + pixel.blue * keep);
  pixel.alpha = static_cast<float>(alpha + pixel.alpha * keep);
}

void Canvas::fill(const std::vector<kavro::platform::uikit::SymbolContour>& contours, FillRule rule,
                  const Paint& paint) {
  std::vector<Edge> edges;
  double top = height_, bottom = 0, left = width_, right = 0;
  for (const auto& contour : contours) {
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const auto& a = contour[i];
      const auto& b = contour[(i + 1) % contour.size()];
      top = std::min(top, a.y), bottom = std::max(bottom, a.y);
      left = std::min(left, a.x), right = std::max(right, a.x);
      if (a.y == b.y) continue;
      edges.push_back({a.x, a.y, b.x, b.y, b.y > a.y ? 1 : -1});
    }
  }
  if (edges.empty()) return;
  int firstRow = std::max(0, static_cast<int>(std::floor(top)));
  int lastRow = std::min(height_ - 1, static_cast<int>(std::ceil(bottom)));
  int firstColumn = std::max(0, static_cast<int>(std::floor(left)));
  int lastColumn = std::min(width_ - 1, static_cast<int>(std::ceil(right)));
  if (firstRow > lastRow || firstColumn > lastColumn) return;

  // Partial coverage of the pixels at span ends, and a running difference for the
  // fully covered pixels between them.
  std::vector<double> partial(width_ + 1), runs(width_ + 2);
  std::vector<std::pair<double, int>> crossings;
  const double weight = 1.0 / kSubScanlines;
  auto addSpan = [&](double from, double to) {
    from = std::clamp(from, 0.0, static_cast<double>(width_));
    to = std::clamp(to, 0.0, static_cast<double>(width_));
    if (to <= from) return;
    int a = static_cast<int>(from), b = static_cast<int>(to);
    if (a == b) {
      partial[a] += (to - from) * weight;
      return;
    }
    partial[a] += (a + 1 - from) * weight;
    runs[a + 1] += weight;
    runs[b] -= weight;
    if (b < width_) partial[b] += (to - b) * weight;
  };

  for (int row = firstRow; row <= lastRow; ++row) {
    std::fill(partial.begin(), partial.end(), 0.0);
    std::fill(runs.begin(), runs.end(), 0.0);
    for (int sub = 0; sub < kSubScanlines; ++sub) {
      double y = row + (sub + 0.5) / kSubScanlines;
      crossings.clear();
      for (const Edge& edge : edges) {
        double low = std::min(edge.y0, edge.y1), high = std::max(edge.y0, edge.y1);
        if (y < low || y >= high) continue;
        double x = edge.x0 + (y - edge.y0) * (edge.x1 - edge.x0) / (edge.y1 - edge.y0);
        crossings.emplace_back(x, edge.direction);
      }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].second;
        bool inside = rule == FillRule::evenOdd ? (i % 2 == 0) : winding != 0;
        if (inside) addSpan(crossings[i].first, crossings[i + 1].first);
      }
    }
    double run = 0;
    for (int column = 0; column <= lastColumn; ++column) {
      run += runs[column];
      if (column < firstColumn) continue;
      double coverage = clamp01(run + partial[column]);
      if (coverage > 0) blend(column, row, paint(column + 0.5, row + 0.5), coverage);
    }
  }
}

void Canvas::fill(const std::vector<kavro::platform::uikit::SymbolContour>& contours, FillRule rule,
                  const Color& color) {
  fill(contours, rule, [&](double, double) { return color; });
}

void Canvas::fillPath(const std::string& svgPath, const Placement& placement, FillRule rule,
                      const Paint& paint) {
  std::string error;
  auto contours = kavro::platform::uikit::flattenSymbolPath(svgPath, 0.25 / std::max(placement.scale, 1e-3), &error);
  if (!contours) throw std::runtime_error("bad path data (" + error + "): " + svgPath);
  for (auto& contour : *contours) {
    for (auto& point : contour) {
      point = {placement.x + point.x * placement.scale, placement.y + point.y * placement.scale};
    }
  }
  fill(*contours, rule, paint);
}

void Canvas::fillPath(const std::string& svgPath, const Placement& placement, FillRule rule,
                      const Color& color) {
  fillPath(svgPath, placement, rule, [&](double, double) { return color; });
}

void Canvas::disc(double cx, double cy, double radius, const Color& color) {
  // Below a pixel the disc keeps its area rather than its rim.
  double drawn = std::max(radius, 0.6);
  double areaScale = std::min(1.0, (radius * radius) / (drawn * drawn));
  int x0 = static_cast<int>(std::floor(cx - drawn - 1)),
      x1 = static_cast<int>(std::ceil(cx + drawn + 1));
  int y0 = static_cast<int>(std::floor(cy - drawn - 1)),
      y1 = static_cast<int>(std::ceil(cy + drawn + 1));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      blend(x, y, color, clamp01(drawn + 0.5 - d) * areaScale);
    }
  }
}

void Canvas::line(double x0, double y0, double x1, double y1, double width, const Color& color) {
  taperedLine(x0, y0, x1, y1, width, width, color);
}

void Canvas::taperedLine(double x0, double y0, double x1, double y1, double width0, double width1,
                         const Color& color) {
  double reach = std::max(width0, width1) / 2 + 1.5;
  int left = static_cast<int>(std::floor(std::min(x0, x1) - reach));
  int right = static_cast<int>(std::ceil(std::max(x0, x1) + reach));
  int top = static_cast<int>(std::floor(std::min(y0, y1) - reach));
  int bottom = static_cast<int>(std::ceil(std::max(y0, y1) + reach));
  for (int y = std::max(top, 0); y <= std::min(bottom, height_ - 1); ++y) {
    for (int x = std::max(left, 0); x <= std::min(right, width_ - 1); ++x) {
      auto [d, t] = segmentDistance(x + 0.5, y + 0.5, x0, y0, x1, y1);
      double width = width0 + (width1 - width0) * t;
      double drawn = std::max(width, 1.0);
      double coverage = clamp01(drawn / 2 + 0.5 - d) * std::min(1.0, width);
      blend(x, y, color, coverage);
    }
  }
}

void Canvas::glow(double cx, double cy, double sigma, const Color& color) {
  glow(cx, cy, sigma, sigma, 0, color);
}

void Canvas::glow(double cx, double cy, double sigmaX, double sigmaY, double angle,
                  const Color& color) {
  double reach = 3.2 * std::max(sigmaX, sigmaY);
  double c = std::cos(angle), s = std::sin(angle);
  for (int y = std::max(0, static_cast<int>(cy - reach));
       y <= std::min(height_ - 1, static_cast<int>(cy + reach)); ++y) {
    for (int x = std::max(0, static_cast<int>(cx - reach));
         x <= std::min(width_ - 1, static_cast<int>(cx + reach)); ++x) {
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      double u = (c * dx + s * dy) / sigmaX, v = (-s * dx + c * dy) / sigmaY;
      blend(x, y, color, std::exp(-0.5 * (u * u + v * v)));
    }
  }
}

void Canvas::draw(const Canvas& other, int x, int y, double opacity) {
  for (int row = 0; row < other.height_; ++row) {
    for (int column = 0; column < other.width_; ++column) {
      const Pixel& source = other.pixels_[static_cast<std::size_t>(row) * other.width_ + column];
      if (source.alpha <= 0) continue;
      Color straight{source.red / source.alpha, source.green / source.alpha,
                     source.blue / source.alpha, source.alpha};
      blend(x + column, y + row, straight, opacity);
    }
  }
}

void Canvas::fadeEdges(double margin) {
  auto smooth = [](double t) {
    t = clamp01(t);
    return t * t * (3 - 2 * t);
  };
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double edge = std::min({x + 0.5, width_ - x - 0.5, y + 0.5, height_ - y - 0.5});
      float factor = static_cast<float>(smooth(edge / margin));
      Pixel& pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
      pixel.red *= factor, pixel.green *= factor, pixel.blue *= factor, pixel.alpha *= factor;
    }
  }
}

void Canvas::flattenOnto(const Color& background) {
  for (Pixel& pixel : pixels_) {
    double keep = 1 - pixel.alpha;
    pixel.red = static_cast<float>(pixel.red + background.red * keep);
    pixel.green = static_cast<float>(pixel.green + background.green * keep);
    pixel.blue = static_cast<float>(pixel.blue + background.blue * keep);
    pixel.alpha = 1;
  }
}

void Canvas::writePng(const std::filesystem::path& path) const {
  std::vector<png_byte> bytes(pixels_.size() * 4);
  auto toByte = [](double value) {
    return static_cast<png_byte>(std::lround(clamp01(value) * 255));
  };
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    const Pixel& pixel = pixels_[i];
    png_byte alpha = toByte(pixel.alpha);
    png_byte* out = &bytes[i * 4];
    if (alpha == 0) {
      out[0] = out[1] = out[2] = out[3] = 0;
      continue;
    }
    out[0] = toByte(pixel.red / pixel.alpha);
    out[1] = toByte(pixel.green / pixel.alpha);
    out[2] = toByte(pixel.blue / pixel.alpha);
    out[3] = alpha;
  }

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path.string());
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows(height_);
  for (int row = 0; row < height_; ++row)
    rows[row] = &bytes[static_cast<std::size_t>(row) * width_ * 4];
  volatile bool written = false;
  // libpng reports errors by longjmp; nothing with a destructor is created below.
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width_), static_cast<png_uint_32>(height_), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    written = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  bool closed = std::fclose(file) == 0;
  if (!written || !closed) throw std::runtime_error("cannot write PNG " + path.string());
}

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::uniform(double low, double high) {
  return low + (high - low) * (static_cast<double>(next() >> 11) / 9007199254740992.0);
}

namespace shapes {

namespace {

// Path data written command by command (appending, which also keeps GCC's string
// concatenation warnings quiet).
class PathText {
 public:
  PathText& command(char letter) {
    text_ += letter;
    return *this;
  }
  PathText& number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", std::round(value * 100) / 100);
    std::string digits = buffer;
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
    if (digits == "-0") digits = "0";
    if (!text_.empty() && !std::isalpha(static_cast<unsigned char>(text_.back()))) text_ += ' ';
    text_ += digits;
    return *this;
  }
  PathText& point(double x, double y) { return number(x).number(y); }
  PathText& arc(double radius, bool large, bool clockwise, double x, double y) {
    command('A').number(radius).number(radius).number(0).number(large ? 1 : 0);
    return number(clockwise ? 1 : 0).point(x, y);
  }
  std::string str() const { return text_; }

 private:
  std::string text_;
};

double signedArea(const std::vector<kavro::platform::uikit::SymbolPoint>& points) {
  double area = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto& a = points[i];
    const auto& b = points[(i + 1) % points.size()];
    area += a.x * b.y - b.x * a.y;
  }
  return area / 2;
}

}  // namespace

std::string circle(double cx, double cy, double radius, bool clockwise) {
  return ellipse(cx, cy, radius, radius, clockwise);
}

std::string ellipse(double cx, double cy, double rx, double ry, bool clockwise) {
  PathText path;
  path.command('M').point(cx - rx, cy);
  path.command('A').point(rx, ry).number(0).number(1).number(clockwise ? 1 : 0).point(cx + rx, cy);
  path.command('A').point(rx, ry).number(0).number(1).number(clockwise ? 1 : 0).point(cx - rx, cy);
  return path.command('Z').str();
}

std::string rect(double x, double y, double width, double height, bool clockwise) {
  return polygon({{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}}, clockwise);
}

std::string roundedRect(double x, double y, double width, double height, double radius,
                        bool clockwise) {
  double r = std::min({radius, width / 2, height / 2});
  double right = x + width, bottom = y + height;
  PathText path;
  path.command('M').point(x + r, y);
  if (clockwise) {
    path.command('H').number(right - r).arc(r, false, true, right, y + r);
    path.command('V').number(bottom - r).arc(r, false, true, right - r, bottom);
    path.command('H').number(x + r).arc(r, false, true, x, bottom - r);
    path.command('V').number(y + r).arc(r, false, true, x + r, y);
  } else {
    path.arc(r, false, false, x, y + r);
    path.command('V').number(bottom - r).arc(r, false, false, x + r, bottom);
    path.command('H').number(right - r).arc(r, false, false, right, bottom - r);
    path.command('V').number(y + r).arc(r, false, false, right - r, y);
  }
  return path.command('Z').str();
}

std::string polygon(const std::vector<kavro::platform::uikit::SymbolPoint>& points, bool clockwise) {
  std::vector<kavro::platform::uikit::SymbolPoint> ordered = points;
  if ((signedArea(ordered) > 0) != clockwise) std::reverse(ordered.begin(), ordered.end());
  PathText path;
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    path.command(i == 0 ? 'M' : 'L').point(ordered[i].x, ordered[i].y);
  }
  return path.command('Z').str();
}

std::string rotatedEllipse(double cx, double cy, double rx, double ry, double degrees,
                           bool clockwise) {
  std::vector<kavro::platform::uikit::SymbolPoint> points;
  double angle = degrees * std::numbers::pi / 180, c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < 72; ++i) {
    double t = i * 2 * std::numbers::pi / 72;
    double x = rx * std::cos(t), y = ry * std::sin(t);
    points.push_back({cx + c * x - s * y, cy + s * x + c * y});
  }
  return polygon(points, clockwise);
}

std::string stroke(const std::vector<kavro::platform::uikit::SymbolPoint>& points, double width) {
  std::string path;
  double half = width / 2;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const auto& a = points[i];
    const auto& b = points[i + 1];
    double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length == 0) continue;
    double nx = -(b.y - a.y) / length * half, ny = (b.x - a.x) / length * half;
    path += polygon(
        {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
  }
  for (const auto& p : points) path += circle(p.x, p.y, half, true);
  return path;
}

std::string arcBand(double cx, double cy, double radius, double width, double fromDegrees,
                    double toDegrees) {
  if (toDegrees < fromDegrees) std::swap(fromDegrees, toDegrees);
  double outer = radius + width / 2, inner = radius - width / 2;
  double a0 = fromDegrees * std::numbers::pi / 180, a1 = toDegrees * std::numbers::pi / 180;
  bool large = toDegrees - fromDegrees > 180;
  PathText path;
  path.command('M').point(cx + outer * std::cos(a0), cy + outer * std::sin(a0));
  path.arc(outer, large, true, cx + outer * std::cos(a1), cy + outer * std::sin(a1));
  path.command('L').point(cx + inner * std::cos(a1), cy + inner * std::sin(a1));
  path.arc(inner, large, false, cx + inner * std::cos(a0), cy + inner * std::sin(a0));
  return path.command('Z').str();
}

}  // namespace shapes

}  // namespace kavro::artwork
