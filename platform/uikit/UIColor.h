#pragma once
// Colours: fixed RGBA, or dynamic system colours with a light and a dark value that
// resolve against a trait collection (the device's appearance by default).

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/UITraitCollection.h"

#include <memory>
#include <string>

class UIColor : public NSObject {
  KAVRO_OBJC_CLASS(UIColor)
 public:
  struct RGBA {
    CGFloat red = 0, green = 0, blue = 0, alpha = 0;
    friend bool operator==(const RGBA&, const RGBA&) = default;
  };

  static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
  // A dynamic colour with the given light and dark values.
  static std::shared_ptr<UIColor> dynamicColor(const std::string& name, RGBA light, RGBA dark);

  // Fixed colours.
  static std::shared_ptr<UIColor> blackColor();
  static std::shared_ptr<UIColor> whiteColor();
  static std::shared_ptr<UIColor> grayColor();
  static std::shared_ptr<UIColor> clearColor();
  static std::shared_ptr<UIColor> redColor();
  // System colours, light and dark.
  static std::shared_ptr<UIColor> labelColor();
  static std::shared_ptr<UIColor> secondaryLabelColor();
  static std::shared_ptr<UIColor> tertiaryLabelColor();
  static std::shared_ptr<UIColor> systemBlueColor();
  static std::shared_ptr<UIColor> systemRedColor();
  static std::shared_ptr<UIColor> systemGrayColor();
  static std::shared_ptr<UIColor> systemGray2Color();
  static std::shared_ptr<UIColor> systemGray3Color();
  static std::shared_ptr<UIColor> systemGray4Color();
  static std::shared_ptr<UIColor> systemGray5Color();
  static std::shared_ptr<UIColor> systemBackgroundColor();
  static std::shared_ptr<UIColor> systemGroupedBackgroundColor();
  static std::shared_ptr<UIColor> secondarySystemGroupedBackgroundColor();
  static std::shared_ptr<UIColor> separatorColor();
  static std::shared_ptr<UIColor> tableCellGroupedBackgroundColor();

  std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;
  std::shared_ptr<UIColor> resolvedColorWithTraitCollection(
      const std::shared_ptr<UITraitCollection>& traits) const;

  // The components for an appearance.
  RGBA rgba(UIUserInterfaceStyle style) const;
  // The components for the current appearance of the device.
  RGBA rgba() const;
  // The layer colour for the current appearance.
  CGColorRef CGColor() const;
  bool isDynamic() const { return light_ != dark_; }
  const std::string& name() const { return name_; }
  // "#RRGGBBAA" for an appearance.
  std::string hexString(UIUserInterfaceStyle style) const;

  bool isEqual(const UIColor& other) const { return light_ == other.light_ && dark_ == other.dark_; }
  std::string description() const override;

 private:
  std::string name_;
  RGBA light_;
  RGBA dark_;
};

// True when both are absent or both present and equal.
bool UIColorEqual(const std::shared_ptr<UIColor>& a, const std::shared_ptr<UIColor>& b);
