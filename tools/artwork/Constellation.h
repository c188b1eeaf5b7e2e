#pragma once
// The header picture of the settings page: a constellation in accent purple across
// a 390 x 130 point band, drawn at 3x.

#include "tools/artwork/Canvas.h"

namespace kavro::artwork {

constexpr int kConstellationWidth = 1170;
constexpr int kConstellationHeight = 390;

enum class Appearance { light, dark };

// The same sky in both appearances; only the palette and the glow differ.
Canvas drawConstellation(Appearance appearance);

// The bundle's Settings icon: a small constellation on an accent purple tile.
Canvas drawBundleIcon(int size);

}  // namespace kavro::artwork
