#pragma once
// Fonts: the system font by size and weight. Text is measured with average glyph
// widths for the system font, enough to size labels and lay out cells.

#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

using UIFontWeight = CGFloat;
inline constexpr UIFontWeight UIFontWeightUltraLight = -0.8;
inline constexpr UIFontWeight UIFontWeightThin = -0.6;
inline constexpr UIFontWeight UIFontWeightLight = -0.4;
inline constexpr UIFontWeight UIFontWeightRegular = 0.0;
inline constexpr UIFontWeight UIFontWeightMedium = 0.23;
inline constexpr UIFontWeight UIFontWeightSemibold = 0.3;
inline constexpr UIFontWeight UIFontWeightBold = 0.4;
inline constexpr UIFontWeight UIFontWeightHeavy = 0.56;
inline constexpr UIFontWeight UIFontWeightBlack = 0.62;

class UIFont : public NSObject {
  KAVRO_OBJC_CLASS(UIFont)
 public:
  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size, UIFontWeight weight);
  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size) {
    return systemFontOfSize(size, UIFontWeightRegular);
  }
  static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat size) {
    return systemFontOfSize(size, UIFontWeightBold);
  }

  CGFloat pointSize() const { return pointSize_; }
  UIFontWeight weight() const { return weight_; }
  // "SFUI-Semibold" and the like: the system font's face for the weight.
  std::string fontName() const;
  // The CSS weight (100 to 900) a browser draws the face with.
  int cssWeight() const;
  CGFloat lineHeight() const { return pointSize_ * 1.2; }

  // The width of one line of UTF-8 text in this font.
  CGFloat widthOfText(const std::string& text) const;

  bool isEqual(const UIFont& other) const {
    return pointSize_ == other.pointSize_ && weight_ == other.weight_;
  }

 private:
  CGFloat pointSize_ = 17;
  UIFontWeight weight_ = UIFontWeightRegular;
};
