#pragma once
// The parts of a view's layer the bundle sets: rounded corners, clipping, border
// and shadow. Colours are CGColor values: resolved RGBA.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <optional>

struct CGColorComponents {
  CGFloat red = 0, green = 0, blue = 0, alpha = 1;
  friend bool operator==(const CGColorComponents&, const CGColorComponents&) = default;
};
using CGColorRef = std::optional<CGColorComponents>;

class CALayer : public NSObject {
  KAVRO_OBJC_CLASS(CALayer)
 public:
  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius) { cornerRadius_ = radius; }
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool masks) { masksToBounds_ = masks; }

  CGFloat borderWidth() const { return borderWidth_; }
  void setBorderWidth(CGFloat width) { borderWidth_ = width; }
  CGColorRef borderColor() const { return borderColor_; }
  void setBorderColor(CGColorRef color) { borderColor_ = color; }

  float shadowOpacity() const { return shadowOpacity_; }
  void setShadowOpacity(float opacity) { shadowOpacity_ = opacity; }
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset) { shadowOffset_ = offset; }
  CGColorRef shadowColor() const { return shadowColor_; }
  void setShadowColor(CGColorRef color) { shadowColor_ = color; }
  CGFloat shadowRadius() const { return shadowRadius_; }
  void setShadowRadius(CGFloat radius) { shadowRadius_ = radius; }

 private:
  CGFloat cornerRadius_ = 0;
  bool masksToBounds_ = false;
  CGFloat borderWidth_ = 0;
  CGColorRef borderColor_;
  float shadowOpacity_ = 0;
  CGSize shadowOffset_{0, -3};
  CGColorRef shadowColor_ = CGColorComponents{0, 0, 0, 1};
  CGFloat shadowRadius_ = 3;
};
