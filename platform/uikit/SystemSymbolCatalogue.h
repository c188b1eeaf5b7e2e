#pragma once
// The system symbols the bundle uses, as our own vector artwork.
//
// Each symbol is one SVG path in a square view box "0 0 100 100", filled with the
// image's tint. The square is centred on the symbol and its side is the longer of
// `width` and `height` (SVG `preserveAspectRatio="xMidYMid slice"`): a 9 x 16 point
// chevron is drawn in a 16-point square and keeps to the middle 9 points of it, so
// clipping to the symbol's own box never cuts the drawing. Holes are contours that
// run the other way round inside a filled one, so the even-odd and the non-zero
// rule give the same picture; renderers use "evenodd".
//
// `width` and `height` are the symbol's natural size in points at point size 17;
// a configured point size scales both.

#include <string>
#include <vector>

namespace kavro::platform::uikit {

struct SymbolArtwork {
  std::string name;
  double width;
  double height;
  std::string svgPath;
};

// The artwork of a symbol, or nullptr for a name the catalogue does not know.
const SymbolArtwork* systemSymbolArtwork(const std::string& name);
// Every name the catalogue knows, in catalogue order.
std::vector<std::string> systemSymbolNames();

}  // namespace kavro::platform::uikit
