#pragma once
// SVG path data, as the system symbols' artwork is written (see
// SystemSymbolCatalogue.h), flattened into closed polygons.

#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::uikit {

// Path data flattened to closed polygons, for renderers and checks that cannot hand
// the path to an SVG engine.
struct SymbolPoint {
  double x;
  double y;
};
using SymbolContour = std::vector<SymbolPoint>;

// Parses SVG path data (all commands of the SVG 1.1 path grammar, absolute and
// relative) and flattens curves and arcs to within `tolerance` view-box units. Every
// subpath is returned closed, as filling treats it. Gives nothing, with a message
// in `error`, for malformed data: an unknown command, a missing or partial argument
// group, a bad number or arc flag, or a path that does not start with a move.
std::optional<std::vector<SymbolContour>> flattenSymbolPath(const std::string& svgPath,
                                                            double tolerance = 0.05,
                                                            std::string* error = nullptr);

}  // namespace kavro::platform::uikit
