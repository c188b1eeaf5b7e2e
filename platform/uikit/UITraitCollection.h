#pragma once
// The environment a view is shown in; for this bundle, the light or dark appearance.

#include "platform/objc/NSObject.h"

#include <memory>

enum UIUserInterfaceStyle : long {
  UIUserInterfaceStyleUnspecified = 0,
  UIUserInterfaceStyleLight = 1,
  UIUserInterfaceStyleDark = 2,
};

class UITraitCollection : public NSObject {
  KAVRO_OBJC_CLASS(UITraitCollection)
 public:
  static std::shared_ptr<UITraitCollection> traitCollectionWithUserInterfaceStyle(
      UIUserInterfaceStyle style);
  // The traits of the current process's screen (the device's appearance).
  static std::shared_ptr<UITraitCollection> currentTraitCollection();

  UIUserInterfaceStyle userInterfaceStyle() const { return style_; }
  bool hasDifferentColorAppearanceComparedToTraitCollection(
      const std::shared_ptr<UITraitCollection>& other) const;

 private:
  UIUserInterfaceStyle style_ = UIUserInterfaceStyleUnspecified;
};
