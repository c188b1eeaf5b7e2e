// SVG path data flattened into closed polygons: every command of the path grammar,
// the compact number syntax, and clear errors for malformed data.

#include "platform/uikit/SymbolPathFlattening.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kavro::platform::uikit {
namespace {

double contourArea(const SymbolContour& contour) {
  double sum = 0;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    const SymbolPoint& a = contour[i];
    const SymbolPoint& b = contour[(i + 1) % contour.size()];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum / 2;
}

TEST(SymbolPathFlatteningTest, FlattensEveryPathCommand) {
  // Lines, relative moves, and the compact number syntax ("10-5", ".5.5").
  auto square = flattenSymbolPath("M0,0H10V10h-10z m20 0l10 0 0 10-10 0Z");
  ASSERT_TRUE(square);
  ASSERT_EQ(square->size(), 2u);
  EXPECT_DOUBLE_EQ(std::fabs(contourArea((*square)[0])), 100);
  EXPECT_DOUBLE_EQ((*square)[1][0].x, 20);  // the move is relative to the closed subpath's start
  EXPECT_DOUBLE_EQ(std::fabs(contourArea((*square)[1])), 100);

  // A circle of two arcs, one with its flags packed together.
  auto circle = flattenSymbolPath("M10 50A40 40 0 1 1 90 50a40 40 0 11-80 0Z", 0.01);
  ASSERT_TRUE(circle);
  ASSERT_EQ(circle->size(), 1u);
  EXPECT_NEAR(std::fabs(contourArea(circle->front())), std::numbers::pi * 1600, 5);

  // Cubic and quadratic curves with their smooth forms end where they should.
  auto curves = flattenSymbolPath("M0 0C0 10 10 10 10 0S20-10 20 0Q25 10 30 0T40 0Z");
  ASSERT_TRUE(curves);
  const SymbolContour& curve = curves->front();
  EXPECT_DOUBLE_EQ(curve.back().x, 40);
  EXPECT_DOUBLE_EQ(curve.back().y, 0);
  auto lowest =
      std::max_element(curve.begin(), curve.end(),
                       [](const SymbolPoint& a, const SymbolPoint& b) { return a.y < b.y; });
  EXPECT_NEAR(lowest->y, 7.5, 0.1);  // the first cubic's extreme
}

TEST(SymbolPathFlatteningTest, RejectsMalformedPathData) {
  for (const char* bad : {"", "L1 2", "M1", "M1 2L3", "M1 2X3 4", "M1 2A1 1 0 2 0 3 3",
                          "M1 2A1 1 0 1", "M1 2 L3 4 5", "M1 2Lfoo", "M1e 2", "M- 1 2"}) {
    std::string error;
    EXPECT_FALSE(flattenSymbolPath(bad, 0.05, &error)) << '"' << bad << '"';
    EXPECT_FALSE(error.empty()) << '"' << bad << '"';
  }
}

}  // namespace
}  // namespace kavro::platform::uikit
