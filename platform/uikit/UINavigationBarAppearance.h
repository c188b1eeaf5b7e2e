#pragma once
// How a navigation bar draws its background and titles.

#include "platform/foundation/NSAttributedString.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"

#include <memory>

class UINavigationBarAppearance : public NSObject {
  KAVRO_OBJC_CLASS(UINavigationBarAppearance)
 public:
  std::shared_ptr<UINavigationBarAppearance> init() { return self<UINavigationBarAppearance>(); }
  void configureWithDefaultBackground() { transparent_ = false; backgroundColor_ = nullptr; }
  void configureWithOpaqueBackground() {
    transparent_ = false;
    backgroundColor_ = UIColor::systemBackgroundColor();
  }
  void configureWithTransparentBackground() { transparent_ = true; backgroundColor_ = nullptr; }
  bool isTransparent() const { return transparent_; }

  const NSAttributedString::Attributes& titleTextAttributes() const { return titleTextAttributes_; }
  void setTitleTextAttributes(const NSAttributedString::Attributes& attributes) {
    titleTextAttributes_ = attributes;
  }
  const NSAttributedString::Attributes& largeTitleTextAttributes() const { return largeTitleTextAttributes_; }
  void setLargeTitleTextAttributes(const NSAttributedString::Attributes& attributes) {
    largeTitleTextAttributes_ = attributes;
  }
  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const std::shared_ptr<UIColor>& color) { backgroundColor_ = color; }

 private:
  bool transparent_ = false;
  std::shared_ptr<UIColor> backgroundColor_;
  NSAttributedString::Attributes titleTextAttributes_;
  NSAttributedString::Attributes largeTitleTextAttributes_;
};
