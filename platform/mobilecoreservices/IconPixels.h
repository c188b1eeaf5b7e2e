#pragma once
// The PNG work behind application icons: checking an icon file before it is used,
// and drawing and encoding placeholder icons.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kavro::platform::mobilecoreservices {

struct PixelSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Icon files wider or higher than this are refused, so that a hostile file cannot
// make a decoder allocate gigabytes.
inline constexpr std::uint32_t kMaximumIconSide = 2048;

// The pixel size of a PNG that decodes completely and is at most kMaximumIconSide
// on each side; nothing otherwise.
std::optional<PixelSize> decodablePNGSize(const std::vector<std::uint8_t>& bytes);

struct RGBColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const RGBColour&, const RGBColour&) = default;
};

// The colour of an identifier's placeholder: the same on every run and machine.
RGBColour placeholderColour(const std::string& identifier);

// A placeholder icon `side` pixels square: a rounded square in the identifier's
// colour with a white ring in the middle, transparent outside, as PNG bytes.
std::vector<std::uint8_t> drawPlaceholderIcon(const std::string& identifier, std::uint32_t side);

}  // namespace kavro::platform::mobilecoreservices
