#pragma once
// Icons for the applications of the sample device: rounded-square tiles in the
// application's colour with a simple geometric glyph, 60 points at 3x.

#include <filesystem>
#include <string>
#include <vector>

#include "tools/artwork/Canvas.h"

namespace kavro::artwork {

constexpr int kAppIconSize = 180;

struct GlyphLayer {
  std::string path;  // in a 0...100 view box
  Color color;
  FillRule rule = FillRule::nonZero;
};

struct IconDesign {
  std::string identifier;
  Color top;
  Color bottom;
  std::vector<GlyphLayer> glyph;
};

// Every design, one per application identifier of the sample device.
const std::vector<IconDesign>& iconDesigns();
// The design for an identifier, or nullptr when there is none.
const IconDesign* iconDesignFor(const std::string& identifier);

Canvas drawAppIcon(const IconDesign& design, int size = kAppIconSize);

// Walks the sample device and writes, next to every Info.plist that declares a
// primary icon, that icon's file. Returns the number of icons written; throws
// std::runtime_error for an application that declares an icon but has no design.
int writeSampleDeviceIcons(const std::filesystem::path& sampleDevice);

// The file an icon name resolves to when the app's tool writes it: a name ending in
// ".png" is taken as it is, any other gets "@3x.png".
std::string iconFileName(const std::string& declaredName);

}  // namespace kavro::artwork
