#include "tools/artwork/SymbolSheet.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/SystemSymbolCatalogue.h"

namespace kavro::artwork {

namespace {

constexpr int kColumns = 6;
constexpr int kCell = 180;
const Color kTint = Color::rgb(0.42, 0.39, 0.76);

// Draws one symbol with its box `scale` pixels per point, its top left at (x, y).
void drawSymbol(Canvas& canvas, const kavro::platform::uikit::SymbolArtwork& symbol, double x, double y,
                double scale, bool showBox) {
  double width = symbol.width * scale, height = symbol.height * scale;
  if (showBox) {
    canvas.fill({{{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}}},
                FillRule::nonZero, Color{0.5, 0.5, 0.55, 0.18});
  }
  double side = std::max(width, height);
  Placement placement{x + (width - side) / 2, y + (height - side) / 2, side / 100};
  canvas.fillPath(symbol.svgPath, placement, FillRule::evenOdd, kTint);
}

}  // namespace

Canvas drawSymbolSheet() {
  auto names = kavro::platform::uikit::systemSymbolNames();
  int rows = static_cast<int>((names.size() + kColumns - 1) / kColumns);
  Canvas canvas(kColumns * kCell, rows * kCell);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const kavro::platform::uikit::SymbolArtwork* symbol = kavro::platform::uikit::systemSymbolArtwork(names[i]);
    double left = static_cast<double>(i % kColumns) * kCell;
    double top = static_cast<double>(i / kColumns) * kCell;
    double large = 5.5;
    drawSymbol(canvas, *symbol, left + 12, top + 12, large, true);
    drawSymbol(canvas, *symbol, left + kCell - 12 - symbol->width * 3,
               top + kCell - 12 - symbol->height * 3, 3, false);
  }
  canvas.flattenOnto(Color::rgb(1, 1, 1));
  return canvas;
}

}  // namespace kavro::artwork
