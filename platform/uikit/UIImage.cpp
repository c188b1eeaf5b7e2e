#include "platform/uikit/UIImage.h"

#include "platform/device/Device.h"
#include "platform/objc/Class.h"
#include "platform/uikit/SystemSymbolCatalogue.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIImageSymbolConfiguration, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIImage, NSObject, )

namespace {

// The size symbols take without a configuration: the body text style.
constexpr CGFloat kDefaultSymbolPointSize = 17;

// Decodes a whole PNG to check it is intact; returns its pixel size.
bool decodePNG(const std::vector<unsigned char>& bytes, std::uint32_t& width, std::uint32_t& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return false;
  }
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
  width = image.width;
  height = image.height;
  png_image_free(&image);
  return ok;
}

CGFloat scaleFromFileName(const std::string& stem) {
  if (stem.size() > 3 && stem.compare(stem.size() - 3, 3, "@3x") == 0) return 3;
  if (stem.size() > 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0) return 2;
  return 1;
}

CGFloat symbolScaleFactor(UIImageSymbolScale scale) {
  switch (scale) {
    case UIImageSymbolScaleSmall: return 0.8;
    case UIImageSymbolScaleLarge: return 1.3;
    default: return 1.0;
  }
}

UIImage::ApplicationIconProvider& applicationIconProvider() {
  static UIImage::ApplicationIconProvider provider;
  return provider;
}

}  // namespace

std::shared_ptr<UIImageSymbolConfiguration> UIImageSymbolConfiguration::configurationWithPointSize(
    CGFloat pointSize, UIImageSymbolWeight weight, UIImageSymbolScale scale) {
  auto configuration = alloc<UIImageSymbolConfiguration>();
  configuration->pointSize_ = pointSize;
  configuration->weight_ = weight;
  configuration->scale_ = scale;
  return configuration;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& path) {
  std::filesystem::path file = kavro::platform::Device::current().resolve(path);
  // A folder opens as a stream but throws on the first read: it is no picture.
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return nullptr;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return nullptr;
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(stream)),
                                   std::istreambuf_iterator<char>());
  std::uint32_t width = 0, height = 0;
  if (!decodePNG(bytes, width, height)) return nullptr;
  auto image = alloc<UIImage>();
  image->filePath_ = file;
  image->scale_ = scaleFromFileName(file.stem().string());
  image->size_ = {width / image->scale_, height / image->scale_};
  return image;
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(const std::string& name) {
  return systemImageNamed(name, nullptr);
}

std::shared_ptr<UIImage> UIImage::systemImageNamed(
    const std::string& name, const std::shared_ptr<UIImageSymbolConfiguration>& configuration) {
  if (!kavro::platform::uikit::systemSymbolArtwork(name)) return nullptr;
  auto image = alloc<UIImage>();
  image->symbolName_ = name;
  image->scale_ = kavro::platform::Device::kScreenScale;
  image->configuration_ = configuration;
  image->applySymbolSize();
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithPNGData(std::shared_ptr<const std::vector<unsigned char>> png,
                                                   CGSize size, CGFloat scale,
                                                   const std::string& description) {
  auto image = alloc<UIImage>();
  image->pngData_ = std::move(png);
  image->size_ = size;
  image->scale_ = scale;
  image->description_ = description;
  return image;
}

std::shared_ptr<UIImage> UIImage::_applicationIconImageForBundleIdentifier(const std::string& identifier,
                                                                          int format, CGFloat scale) {
  const ApplicationIconProvider& provider = applicationIconProvider();
  return provider ? provider(identifier, format, scale) : nullptr;
}

void UIImage::setApplicationIconProvider(ApplicationIconProvider provider) {
  applicationIconProvider() = std::move(provider);
}

void UIImage::applySymbolSize() {
  const auto* artwork = kavro::platform::uikit::systemSymbolArtwork(symbolName_);
  if (!artwork) return;
  CGFloat pointSize = kDefaultSymbolPointSize;
  UIImageSymbolScale scale = UIImageSymbolScaleDefault;
  if (configuration_) {
    if (configuration_->pointSize() > 0) pointSize = configuration_->pointSize();
    scale = configuration_->scale();
  }
  CGFloat factor = pointSize / kDefaultSymbolPointSize * symbolScaleFactor(scale);
  size_ = {artwork->width * factor, artwork->height * factor};
}

std::shared_ptr<UIImage> UIImage::copy() const {
  auto image = alloc<UIImage>();
  image->size_ = size_;
  image->scale_ = scale_;
  image->symbolName_ = symbolName_;
  image->filePath_ = filePath_;
  image->tintColor_ = tintColor_;
  image->renderingMode_ = renderingMode_;
  image->configuration_ = configuration_;
  image->pngData_ = pngData_;
  image->description_ = description_;
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithTintColor(const std::shared_ptr<UIColor>& color) const {
  auto image = copy();
  image->tintColor_ = color;
  image->renderingMode_ = UIImageRenderingModeAlwaysOriginal;
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithRenderingMode(UIImageRenderingMode mode) const {
  auto image = copy();
  image->renderingMode_ = mode;
  return image;
}

std::shared_ptr<UIImage> UIImage::imageWithConfiguration(
    const std::shared_ptr<UIImageSymbolConfiguration>& configuration) const {
  auto image = copy();
  image->configuration_ = configuration;
  image->applySymbolSize();
  return image;
}

bool UIImage::isTemplate() const {
  if (renderingMode_ == UIImageRenderingModeAlwaysTemplate) return true;
  if (renderingMode_ == UIImageRenderingModeAlwaysOriginal) return false;
  return isSymbolImage();
}

std::string UIImage::description() const {
  std::string text = "<UIImage ";
  if (isSymbolImage())
    text += "symbol:" + symbolName_;
  else if (!filePath_.empty())
    text += filePath_.filename().string();
  else
    text += description_;
  char size[64];
  std::snprintf(size, sizeof size, " %gx%g>", size_.width, size_.height);
  return text + size;
}
