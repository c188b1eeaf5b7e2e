#include "platform/uikit/SymbolPathFlattening.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace kavro::platform::uikit {

namespace {

constexpr double kPi = std::numbers::pi;

// Reads SVG path data command by command, keeping the pen state the relative and
// smooth commands need, and flattens what it reads into closed contours.
class PathFlattener {
 public:
  PathFlattener(const std::string& text, double tolerance)
      : text_(text), tolerance_(std::max(tolerance, 1e-4)) {}

  std::optional<std::vector<SymbolContour>> run(std::string* error) {
    if (!parse()) {
      if (error) *error = message_ + " at offset " + std::to_string(position_);
      return std::nullopt;
    }
    endContour();
    return contours_;
  }

 private:
  bool parse() {
    skipSeparators();
    if (position_ >= text_.size()) return fail("empty path data");
    bool first = true;
    while (position_ < text_.size()) {
      char command = text_[position_];
      if (!std::isalpha(static_cast<unsigned char>(command))) return fail("expected a command");
      if (first && command != 'M' && command != 'm')
        return fail("path data must start with a move");
      first = false;
      ++position_;
      if (!runCommand(command)) return false;
      skipSeparators();
    }
    return true;
  }

  bool runCommand(char command) {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(command)));
    bool relative = command != upper;
    if (upper == 'Z') {
      closePath();
      return true;
    }
    int groups = 0;
    do {
      if (!runGroup(upper, relative, groups)) return false;
      ++groups;
      skipSeparators();
    } while (atNumber());
    return true;
  }

  // One argument group of a command; a move's later groups are line-tos.
  bool runGroup(char command, bool relative, int groupIndex) {
    SymbolPoint origin = relative ? pen_ : SymbolPoint{0, 0};
    switch (command) {
      case 'M': {
        SymbolPoint to;
        if (!readPoint(to, origin)) return false;
        if (groupIndex == 0)
          moveTo(to);
        else
          lineTo(to);
        return true;
      }
      case 'L': {
        SymbolPoint to;
        if (!readPoint(to, origin)) return false;
        lineTo(to);
        return true;
      }
      case 'H': {
        double x;
        if (!readNumber(x)) return false;
        lineTo({x + origin.x, pen_.y});
        return true;
      }
      case 'V': {
        double y;
        if (!readNumber(y)) return false;
        lineTo({pen_.x, y + origin.y});
        return true;
      }
      case 'C': {
        SymbolPoint c1, c2, to;
        if (!readPoint(c1, origin) || !readPoint(c2, origin) || !readPoint(to, origin))
          return false;
        cubicTo(c1, c2, to);
        return true;
      }
      case 'S': {
        SymbolPoint c2, to;
        if (!readPoint(c2, origin) || !readPoint(to, origin)) return false;
        SymbolPoint c1 = lastCommand_ == 'C' ? reflect(lastControl_) : pen_;
        cubicTo(c1, c2, to);
        return true;
      }
      case 'Q': {
        SymbolPoint c, to;
        if (!readPoint(c, origin) || !readPoint(to, origin)) return false;
        quadraticTo(c, to);
        return true;
      }
      case 'T': {
        SymbolPoint to;
        if (!readPoint(to, origin)) return false;
        SymbolPoint c = lastCommand_ == 'Q' ? reflect(lastControl_) : pen_;
        quadraticTo(c, to);
        return true;
      }
      case 'A': {
        double rx, ry, rotation;
        bool largeArc, sweep;
        SymbolPoint to;
        if (!readNumber(rx) || !readNumber(ry) || !readNumber(rotation) || !readFlag(largeArc) ||
            !readFlag(sweep) || !readPoint(to, origin)) {
          return false;
        }
        arcTo(rx, ry, rotation, largeArc, sweep, to);
        return true;
      }
      default:
        return fail(std::string("unknown command '") + command + "'");
    }
  }

  // Pen operations.

  void moveTo(SymbolPoint to) {
    endContour();
    current_.push_back(to);
    pen_ = start_ = to;
    lastCommand_ = 'M';
  }

  void lineTo(SymbolPoint to) {
    add(to);
    lastCommand_ = 'L';
  }

  void cubicTo(SymbolPoint c1, SymbolPoint c2, SymbolPoint to) {
    SymbolPoint from = pen_;
    int steps = curveSteps(distance(from, c1) + distance(c1, c2) + distance(c2, to));
    for (int i = 1; i <= steps; ++i) {
      double t = static_cast<double>(i) / steps, u = 1 - t;
      double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      add({a * from.x + b * c1.x + c * c2.x + d * to.x,
           a * from.y + b * c1.y + c * c2.y + d * to.y});
    }
    lastControl_ = c2;
    lastCommand_ = 'C';
  }

  void quadraticTo(SymbolPoint c, SymbolPoint to) {
    SymbolPoint from = pen_;
    int steps = curveSteps(distance(from, c) + distance(c, to));
    for (int i = 1; i <= steps; ++i) {
      double t = static_cast<double>(i) / steps, u = 1 - t;
      add({u * u * from.x + 2 * u * t * c.x + t * t * to.x,
           u * u * from.y + 2 * u * t * c.y + t * t * to.y});
    }
    lastControl_ = c;
    lastCommand_ = 'Q';
  }

  // The endpoint arc of SVG, converted to its centre form.
  void arcTo(double rx, double ry, double rotationDegrees, bool largeArc, bool sweep,
             SymbolPoint to) {
    SymbolPoint from = pen_;
    lastCommand_ = 'A';
    if (from.x == to.x && from.y == to.y) return;
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (rx == 0 || ry == 0) {
      add(to);
      return;
    }
    double phi = rotationDegrees * kPi / 180, cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    double dx = (from.x - to.x) / 2, dy = (from.y - to.y) / 2;
    double x1 = cosPhi * dx + sinPhi * dy, y1 = -sinPhi * dx + cosPhi * dy;
    double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (lambda > 1) {
      rx *= std::sqrt(lambda);
      ry *= std::sqrt(lambda);
    }
    double numerator = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    double denominator = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double factor =
        std::sqrt(std::max(0.0, numerator / denominator)) * (largeArc == sweep ? -1 : 1);
    double cx1 = factor * rx * y1 / ry, cy1 = -factor * ry * x1 / rx;
    double cx = cosPhi * cx1 - sinPhi * cy1 + (from.x + to.x) / 2;
    double cy = sinPhi * cx1 + cosPhi * cy1 + (from.y + to.y) / 2;
    double theta1 = std::atan2((y1 - cy1) / ry, (x1 - cx1) / rx);
    double theta2 = std::atan2((-y1 - cy1) / ry, (-x1 - cx1) / rx);
    double delta = theta2 - theta1;
    if (sweep && delta < 0) delta += 2 * kPi;
    if (!sweep && delta > 0) delta -= 2 * kPi;
    double maximumStep = std::sqrt(8 * tolerance_ / std::max(rx, ry));
    int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(delta) / maximumStep)), 2, 4096);
    for (int i = 1; i < steps; ++i) {
      double angle = theta1 + delta * i / steps;
      double ex = rx * std::cos(angle), ey = ry * std::sin(angle);
      add({cosPhi * ex - sinPhi * ey + cx, sinPhi * ex + cosPhi * ey + cy});
    }
    add(to);  // exactly, so that closing the contour adds no sliver
    lastCommand_ = 'A';
  }

  void closePath() {
    endContour();
    pen_ = start_;
    lastCommand_ = 'Z';
  }

  // After a close, drawing goes on from the subpath's start without a new move.
  void add(SymbolPoint point) {
    if (current_.empty()) current_.push_back(pen_);
    current_.push_back(point);
    pen_ = point;
  }

  void endContour() {
    if (current_.size() >= 3) contours_.push_back(std::move(current_));
    current_.clear();
  }

  int curveSteps(double controlLength) const {
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(controlLength / tolerance_))), 2, 4096);
  }

  SymbolPoint reflect(SymbolPoint control) const {
    return {2 * pen_.x - control.x, 2 * pen_.y - control.y};
  }

  static double distance(SymbolPoint a, SymbolPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

  // Lexing.

  void skipSeparators() {
    while (
        position_ < text_.size() &&
        (std::isspace(static_cast<unsigned char>(text_[position_])) || text_[position_] == ',')) {
      ++position_;
    }
  }

  bool atNumber() const {
    if (position_ >= text_.size()) return false;
    char c = text_[position_];
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+';
  }

  // SVG numbers: [sign] digits [. digits] [exponent]; "1.5.5" is 1.5 then .5.
  bool readNumber(double& value) {
    skipSeparators();
    std::size_t start = position_, i = position_;
    if (i < text_.size() && (text_[i] == '+' || text_[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) ++i, ++digits;
    if (i < text_.size() && text_[i] == '.') {
      ++i;
      while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) ++i, ++digits;
    }
    if (digits == 0) return fail("expected a number");
    if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
      std::size_t exponent = i + 1;
      if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
      if (exponent < text_.size() && std::isdigit(static_cast<unsigned char>(text_[exponent]))) {
        i = exponent;
        while (i < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i]))) ++i;
      }
    }
    // from_chars takes no leading '+'.
    std::size_t parseFrom = text_[start] == '+' ? start + 1 : start;
    auto [end, status] = std::from_chars(text_.data() + parseFrom, text_.data() + i, value);
    if (status != std::errc() || end != text_.data() + i || !std::isfinite(value)) {
      position_ = start;
      return fail("bad number");
    }
    position_ = i;
    return true;
  }

  bool readFlag(bool& flag) {
    skipSeparators();
    if (position_ < text_.size() && (text_[position_] == '0' || text_[position_] == '1')) {
      flag = text_[position_++] == '1';
      return true;
    }
    return fail("expected an arc flag (0 or 1)");
  }

  bool readPoint(SymbolPoint& point, SymbolPoint origin) {
    double x, y;
    if (!readNumber(x) || !readNumber(y)) return false;
    point = {origin.x + x, origin.y + y};
    return true;
  }

  bool fail(std::string message) {
    message_ = std::move(message);
    return false;
  }

  const std::string& text_;
  double tolerance_;
  std::size_t position_ = 0;
  std::string message_;
  SymbolPoint pen_{0, 0};
  SymbolPoint start_{0, 0};
  SymbolPoint lastControl_{0, 0};
  char lastCommand_ = 0;
  SymbolContour current_;
  std::vector<SymbolContour> contours_;
};

}  // namespace

std::optional<std::vector<SymbolContour>> flattenSymbolPath(const std::string& svgPath,
                                                            double tolerance, std::string* error) {
  return PathFlattener(svgPath, tolerance).run(error);
}

}  // namespace kavro::platform::uikit
