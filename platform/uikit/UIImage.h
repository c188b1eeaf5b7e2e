#pragma once
// Images: PNG files read by path (the device's iOS paths), and system symbols by
// name from the catalogue of symbols the bundle uses. An unreadable file or an
// unknown symbol gives no image. Tinting and rendering mode are recorded for the
// renderer; a symbol image is a template drawn in its tint.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

enum UIImageRenderingMode : long {
  UIImageRenderingModeAutomatic = 0,
  UIImageRenderingModeAlwaysOriginal = 1,
  UIImageRenderingModeAlwaysTemplate = 2,
};

enum UIImageSymbolWeight : long {
  UIImageSymbolWeightUnspecified = 0,
  UIImageSymbolWeightUltraLight = 1,
  UIImageSymbolWeightThin = 2,
  UIImageSymbolWeightLight = 3,
  UIImageSymbolWeightRegular = 4,
  UIImageSymbolWeightMedium = 5,
  UIImageSymbolWeightSemibold = 6,
  UIImageSymbolWeightBold = 7,
  UIImageSymbolWeightHeavy = 8,
  UIImageSymbolWeightBlack = 9,
};

enum UIImageSymbolScale : long {
  UIImageSymbolScaleDefault = -1,
  UIImageSymbolScaleUnspecified = 0,
  UIImageSymbolScaleSmall = 1,
  UIImageSymbolScaleMedium = 2,
  UIImageSymbolScaleLarge = 3,
};

class UIImageSymbolConfiguration : public NSObject {
  KAVRO_OBJC_CLASS(UIImageSymbolConfiguration)
 public:
  static std::shared_ptr<UIImageSymbolConfiguration> configurationWithPointSize(
      CGFloat pointSize, UIImageSymbolWeight weight, UIImageSymbolScale scale);
  static std::shared_ptr<UIImageSymbolConfiguration> configurationWithPointSize(CGFloat pointSize) {
    return configurationWithPointSize(pointSize, UIImageSymbolWeightUnspecified,
                                      UIImageSymbolScaleDefault);
  }
  CGFloat pointSize() const { return pointSize_; }
  UIImageSymbolWeight weight() const { return weight_; }
  UIImageSymbolScale scale() const { return scale_; }

 private:
  CGFloat pointSize_ = 0;
  UIImageSymbolWeight weight_ = UIImageSymbolWeightUnspecified;
  UIImageSymbolScale scale_ = UIImageSymbolScaleDefault;
};

class UIImage : public NSObject {
  KAVRO_OBJC_CLASS(UIImage)
 public:
  // A PNG file; nullptr when it is missing or cannot be decoded. An "@2x"/"@3x"
  // suffix in the file name sets the scale.
  static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& path);
  static std::shared_ptr<UIImage> systemImageNamed(const std::string& name);
  static std::shared_ptr<UIImage> systemImageNamed(
      const std::string& name, const std::shared_ptr<UIImageSymbolConfiguration>& configuration);
  // An image drawn from pixels made by the platform itself (placeholder icons).
  static std::shared_ptr<UIImage> imageWithPNGData(std::shared_ptr<const std::vector<unsigned char>> png,
                                                   CGSize size, CGFloat scale,
                                                   const std::string& description);

  // The home-screen icon of the application with a bundle identifier, in an icon
  // format (1: the 60-point home-screen icon) at a screen scale: the platform's
  // private look-up. The icons come from the provider MobileCoreServices installs
  // (UIKit does not depend on it); nullptr while none is installed.
  static std::shared_ptr<UIImage> _applicationIconImageForBundleIdentifier(const std::string& identifier,
                                                                           int format, CGFloat scale);
  using ApplicationIconProvider =
      std::function<std::shared_ptr<UIImage>(const std::string& identifier, int format, CGFloat scale)>;
  // Installs (or, with an empty function, removes) the provider of application icons
  // for every process.
  static void setApplicationIconProvider(ApplicationIconProvider provider);

  // The same image drawn in `color`, whatever the tint around it.
  std::shared_ptr<UIImage> imageWithTintColor(const std::shared_ptr<UIColor>& color) const;
  std::shared_ptr<UIImage> imageWithRenderingMode(UIImageRenderingMode mode) const;
  std::shared_ptr<UIImage> imageWithConfiguration(
      const std::shared_ptr<UIImageSymbolConfiguration>& configuration) const;

  CGSize size() const { return size_; }
  CGFloat scale() const { return scale_; }
  bool isSymbolImage() const { return !symbolName_.empty(); }
  const std::string& symbolName() const { return symbolName_; }
  // The file an image was read from, as a path on this machine; empty otherwise.
  const std::filesystem::path& filePath() const { return filePath_; }
  // The file's name ("constellation-light.png"), for dumps.
  std::string fileName() const { return filePath_.filename().string(); }
  std::shared_ptr<UIColor> tintColor() const { return tintColor_; }
  UIImageRenderingMode renderingMode() const { return renderingMode_; }
  // Whether the image is drawn in a tint (symbols, template images) or as it is.
  bool isTemplate() const;
  std::shared_ptr<UIImageSymbolConfiguration> symbolConfiguration() const { return configuration_; }
  // PNG bytes of images made from pixels, for renderers; nullptr otherwise.
  const std::shared_ptr<const std::vector<unsigned char>>& pngData() const { return pngData_; }
  std::string description() const override;

 private:
  std::shared_ptr<UIImage> copy() const;
  void applySymbolSize();

  CGSize size_{};
  CGFloat scale_ = 1;
  std::string symbolName_;
  std::filesystem::path filePath_;
  std::shared_ptr<UIColor> tintColor_;
  UIImageRenderingMode renderingMode_ = UIImageRenderingModeAutomatic;
  std::shared_ptr<UIImageSymbolConfiguration> configuration_;
  std::shared_ptr<const std::vector<unsigned char>> pngData_;
  std::string description_;
};
