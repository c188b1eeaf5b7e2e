#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

#include "platform/uikit/SymbolPathFlattening.h"
#include "platform/uikit/SystemSymbolCatalogue.h"

namespace kavro::platform::uikit {
namespace {

// Every symbol the bundle and its pages ask for.
const char* const kSymbolsInUse[] = {"checkmark.circle.fill",
                                     "info.circle.fill",
                                     "hand.point.up.fill",
                                     "plus.circle.fill",
                                     "minus.circle.fill",
                                     "arrow.up.and.down.circle.fill",
                                     "arrow.left.circle.fill",
                                     "arrow.triangle.2.circlepath.circle.fill",
                                     "xmark.circle.fill",
                                     "hand.tap.fill",
                                     "square.grid.2x2.fill",
                                     "trash.fill",
                                     "sparkles",
                                     "chevron.right",
                                     "chevron.left",
                                     "magnifyingglass",
                                     "xmark.circle",
                                     "line.3.horizontal"};

// Winding number of the contours around (x, y), and how many edges a ray to the
// right crosses: the non-zero and the even-odd rule side by side.
std::pair<int, int> windingAndCrossings(const std::vector<SymbolContour>& contours, double x,
                                        double y) {
  int winding = 0, crossings = 0;
  for (const SymbolContour& contour : contours) {
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const SymbolPoint& a = contour[i];
      const SymbolPoint& b = contour[(i + 1) % contour.size()];
      if ((a.y <= y) == (b.y <= y)) continue;
      double crossingX = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (crossingX <= x) continue;
      ++crossings;
      winding += b.y > a.y ? 1 : -1;
    }
  }
  return {winding, crossings};
}

double area(const SymbolContour& contour) {
  double sum = 0;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    const SymbolPoint& a = contour[i];
    const SymbolPoint& b = contour[(i + 1) % contour.size()];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum / 2;
}

TEST(SystemSymbolCatalogueTest, KnowsEverySymbolInUseAndNothingElse) {
  std::vector<std::string> names = systemSymbolNames();
  std::set<std::string> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), names.size()) << "a name is listed twice";
  for (const char* name : kSymbolsInUse) {
    const SymbolArtwork* artwork = systemSymbolArtwork(name);
    ASSERT_NE(artwork, nullptr) << name;
    EXPECT_EQ(artwork->name, name);
    EXPECT_TRUE(unique.count(name)) << name << " has artwork but is not listed";
  }
  EXPECT_EQ(systemSymbolArtwork("no.such.symbol"), nullptr);
  EXPECT_EQ(systemSymbolArtwork(""), nullptr);
  EXPECT_EQ(systemSymbolArtwork("Trash.fill"), nullptr) << "names are case-sensitive";
}

// The drawing keeps to the symbol's own box inside the centred square, and the two
// fill rules paint the same pixels, so any renderer draws the same picture.
TEST(SystemSymbolCatalogueTest, ArtworkParsesStaysInItsBoxAndFillsAlikeUnderBothRules) {
  for (const std::string& name : systemSymbolNames()) {
    SCOPED_TRACE(name);
    const SymbolArtwork& artwork = *systemSymbolArtwork(name);
    EXPECT_GT(artwork.width, 5);
    EXPECT_LT(artwork.width, 30);
    EXPECT_GT(artwork.height, 5);
    EXPECT_LT(artwork.height, 30);

    std::string error;
    auto contours = flattenSymbolPath(artwork.svgPath, 0.05, &error);
    ASSERT_TRUE(contours) << error;
    ASSERT_FALSE(contours->empty());

    double side = std::max(artwork.width, artwork.height);
    double halfWidth = 50 * artwork.width / side, halfHeight = 50 * artwork.height / side;
    for (const SymbolContour& contour : *contours) {
      for (const SymbolPoint& point : contour) {
        ASSERT_GE(point.x, 50 - halfWidth - 0.5);
        ASSERT_LE(point.x, 50 + halfWidth + 0.5);
        ASSERT_GE(point.y, 50 - halfHeight - 0.5);
        ASSERT_LE(point.y, 50 + halfHeight + 0.5);
      }
    }

    int inked = 0, disagreements = 0;
    for (int row = 0; row < 100; ++row) {
      for (int column = 0; column < 100; ++column) {
        auto [winding, crossings] = windingAndCrossings(*contours, column + 0.5, row + 0.5);
        bool nonZero = winding != 0, evenOdd = crossings % 2 == 1;
        if (nonZero != evenOdd || std::abs(winding) > 1) ++disagreements;
        if (evenOdd) ++inked;
      }
    }
    EXPECT_EQ(disagreements, 0);
    EXPECT_GT(inked, 400) << "the symbol draws next to nothing";
  }
}

TEST(SystemSymbolCatalogueTest, FlattensEveryPathCommand) {
  // Lines, relative moves, and the compact number syntax ("10-5", ".5.5").
  auto square = flattenSymbolPath("M0,0H10V10h-10z m20 0l10 0 0 10-10 0Z");
  ASSERT_TRUE(square);
  ASSERT_EQ(square->size(), 2u);
  EXPECT_DOUBLE_EQ(std::fabs(area((*square)[0])), 100);
  EXPECT_DOUBLE_EQ((*square)[1][0].x, 20);  // the move is relative to the closed subpath's start
  EXPECT_DOUBLE_EQ(std::fabs(area((*square)[1])), 100);

  // A circle of two arcs, one with its flags packed together.
  auto circle = flattenSymbolPath("M10 50A40 40 0 1 1 90 50a40 40 0 11-80 0Z", 0.01);
  ASSERT_TRUE(circle);
  ASSERT_EQ(circle->size(), 1u);
  EXPECT_NEAR(std::fabs(area(circle->front())), std::numbers::pi * 1600, 5);

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

TEST(SystemSymbolCatalogueTest, RejectsMalformedPathData) {
  for (const char* bad : {"", "L1 2", "M1", "M1 2L3", "M1 2X3 4", "M1 2A1 1 0 2 0 3 3",
                          "M1 2A1 1 0 1", "M1 2 L3 4 5", "M1 2Lfoo", "M1e 2", "M- 1 2"}) {
    std::string error;
    EXPECT_FALSE(flattenSymbolPath(bad, 0.05, &error)) << '"' << bad << '"';
    EXPECT_FALSE(error.empty()) << '"' << bad << '"';
  }
}

}  // namespace
}  // namespace kavro::platform::uikit
