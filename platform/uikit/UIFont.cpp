#include "platform/uikit/UIFont.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIFont, NSObject, )

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat size, UIFontWeight weight) {
  auto font = alloc<UIFont>();
  font->pointSize_ = size;
  font->weight_ = weight;
  return font;
}

int UIFont::cssWeight() const {
  if (weight_ <= -0.7) return 100;
  if (weight_ <= -0.5) return 200;
  if (weight_ <= -0.2) return 300;
  if (weight_ < 0.1) return 400;
  if (weight_ < 0.26) return 500;
  if (weight_ < 0.35) return 600;
  if (weight_ < 0.5) return 700;
  if (weight_ < 0.6) return 800;
  return 900;
}

std::string UIFont::fontName() const {
  switch (cssWeight()) {
    case 100: return "SFUI-Ultralight";
    case 200: return "SFUI-Thin";
    case 300: return "SFUI-Light";
    case 400: return "SFUI-Regular";
    case 500: return "SFUI-Medium";
    case 600: return "SFUI-Semibold";
    case 700: return "SFUI-Bold";
    case 800: return "SFUI-Heavy";
    default: return "SFUI-Black";
  }
}

CGFloat UIFont::widthOfText(const std::string& text) const {
  // Average advance widths of the system font, in ems, by kind of character; a wider
  // face for heavier weights. Good to a few percent for Latin text.
  double ems = 0;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (length == 1) {
      if (c == ' ') ems += 0.26;
      else if (c == 'i' || c == 'l' || c == 'j' || c == '.' || c == ',' || c == '\'' || c == '|' || c == '!' || c == ':' || c == ';') ems += 0.25;
      else if (c == 'm' || c == 'w' || c == 'M' || c == 'W') ems += 0.85;
      else if (c >= 'A' && c <= 'Z') ems += 0.66;
      else if (c >= '0' && c <= '9') ems += 0.58;
      else ems += 0.52;
    } else if (length >= 3) {
      ems += 1.0;  // CJK and symbols are about one em wide
    } else {
      ems += 0.6;
    }
    i += length;
  }
  double weightFactor = 1.0 + 0.08 * (weight_ > 0 ? weight_ : 0);
  return ems * pointSize_ * weightFactor;
}
