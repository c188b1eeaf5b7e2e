#pragma once
// The parts of a view's layer the bundle and the stand-in set: rounded corners
// (and which of them), clipping, border and shadow. Colours are CGColor values:
// resolved RGBA.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <optional>

struct CGColorComponents {
  CGFloat red = 0, green = 0, blue = 0, alpha = 1;
  friend bool operator==(const CGColorComponents&, const CGColorComponents&) = default;
};
using CGColorRef = std::optional<CGColorComponents>;

// Which corners a corner radius rounds (y grows downwards: MinY is the top).
enum CACornerMask : unsigned long {
  kCALayerMinXMinYCorner = 1 << 0,
  kCALayerMaxXMinYCorner = 1 << 1,
  kCALayerMinXMaxYCorner = 1 << 2,
  kCALayerMaxXMaxYCorner = 1 << 3,
};
inline constexpr unsigned long kCALayerAllCorners =
    kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner | kCALayerMinXMaxYCorner | kCALayerMaxXMaxYCorner;

class CALayer : public NSObject {
  KAVRO_OBJC_CLASS(CALayer)
 public:
  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius) { cornerRadius_ = radius; }
  // The corners the radius applies to, for the background, border and clipping.
  unsigned long maskedCorners() const { return maskedCorners_; }
  void setMaskedCorners(unsigned long corners) { maskedCorners_ = corners & kCALayerAllCorners; }
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
  unsigned long maskedCorners_ = kCALayerAllCorners;
  bool masksToBounds_ = false;
  CGFloat borderWidth_ = 0;
  CGColorRef borderColor_;
  float shadowOpacity_ = 0;
  CGSize shadowOffset_{0, -3};
  CGColorRef shadowColor_ = CGColorComponents{0, 0, 0, 1};
  CGFloat shadowRadius_ = 3;
};
