#include "platform/mobilecoreservices/IconPixels.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kavro::platform::mobilecoreservices {

namespace {

// FNV-1a: a hash fixed by its definition, unlike std::hash, so that colours do not
// change between runs, builds or machines.
std::uint64_t stableHash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : text) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

RGBColour fromHSV(double hue, double saturation, double value) {
  double chroma = value * saturation;
  double sector = hue / 60.0;
  double secondary = chroma * (1 - std::fabs(std::fmod(sector, 2.0) - 1));
  double red = 0, green = 0, blue = 0;
  switch (static_cast<int>(sector) % 6) {
    case 0: red = chroma, green = secondary; break;
    case 1: red = secondary, green = chroma; break;
    case 2: green = chroma, blue = secondary; break;
    case 3: green = secondary, blue = chroma; break;
    case 4: red = secondary, blue = chroma; break;
    default: red = chroma, blue = secondary; break;
  }
  double base = value - chroma;
  auto channel = [base](double part) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(part + base, 0.0, 1.0) * 255));
  };
  return {channel(red), channel(green), channel(blue)};
}

// How much of the pixel a shape covers, from the signed distance (in pixels) of the
// pixel's centre to the shape's edge, negative inside: a one-pixel soft edge.
double coverage(double signedDistance) { return std::clamp(0.5 - signedDistance, 0.0, 1.0); }

double roundedSquareDistance(double x, double y, double halfSide, double radius) {
  double qx = std::fabs(x) - (halfSide - radius);
  double qy = std::fabs(y) - (halfSide - radius);
  double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

std::vector<std::uint8_t> encodeRGBA(const std::vector<std::uint8_t>& pixels, std::uint32_t side) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = side;
  image.height = side;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("cannot encode a placeholder icon: ") + image.message);
  std::vector<std::uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("cannot encode a placeholder icon: ") + image.message);
  png.resize(size);
  return png;
}

}  // namespace

std::optional<PixelSize> decodablePNGSize(const std::vector<std::uint8_t>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  PixelSize size{image.width, image.height};
  if (size.width == 0 || size.height == 0 || size.width > kMaximumIconSide || size.height > kMaximumIconSide) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  bool decoded = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  if (!decoded) return std::nullopt;
  return size;
}

RGBColour placeholderColour(const std::string& identifier) {
  std::uint64_t hash = stableHash(identifier);
  double hue = static_cast<double>(hash % 360);
  double saturation = 0.50 + static_cast<double>((hash >> 16) % 26) / 100;  // 0.50 to 0.75
  double value = 0.70 + static_cast<double>((hash >> 32) % 19) / 100;       // 0.70 to 0.88
  return fromHSV(hue, saturation, value);
}

std::vector<std::uint8_t> drawPlaceholderIcon(const std::string& identifier, std::uint32_t side) {
  side = std::clamp<std::uint32_t>(side, 1, kMaximumIconSide);
  const RGBColour colour = placeholderColour(identifier);
  const double half = side / 2.0;
  // The platform's icon mask rounds about 22% of the side; the ring takes the middle.
  const double cornerRadius = side * 0.225;
  const double ringRadius = side * 0.25;
  const double ringHalfWidth = std::max(side * 0.04, 0.75);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * 4);
  for (std::uint32_t row = 0; row < side; ++row) {
    for (std::uint32_t column = 0; column < side; ++column) {
      double x = column + 0.5 - half;
      double y = row + 0.5 - half;
      double body = coverage(roundedSquareDistance(x, y, half, cornerRadius));
      double ring = coverage(std::fabs(std::hypot(x, y) - ringRadius) - ringHalfWidth) * 0.9;
      auto mix = [ring](std::uint8_t channel) {
        return static_cast<std::uint8_t>(std::lround(channel + (255 - channel) * ring));
      };
      std::uint8_t* pixel = &pixels[(static_cast<std::size_t>(row) * side + column) * 4];
      pixel[0] = mix(colour.red);
      pixel[1] = mix(colour.green);
      pixel[2] = mix(colour.blue);
      pixel[3] = static_cast<std::uint8_t>(std::lround(body * 255));
    }
  }
  return encodeRGBA(pixels, side);
}

}  // namespace kavro::platform::mobilecoreservices
