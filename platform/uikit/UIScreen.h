#pragma once
// The device's screen: 390 × 844 points at scale 3.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UITraitCollection.h"

#include <memory>

class UIScreen : public NSObject {
  KAVRO_OBJC_CLASS(UIScreen)
 public:
  static std::shared_ptr<UIScreen> mainScreen();
  CGRect bounds() const;
  CGFloat scale() const;
  std::shared_ptr<UITraitCollection> traitCollection() const;
};
