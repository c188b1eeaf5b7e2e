#include "sim/springboard/QuickActionMenuButton.h"

#include "platform/objc/Class.h"

using kavro::sim::QuickActionMenuButton;
KAVRO_OBJC_CLASS_IMPLEMENTATION(QuickActionMenuButton, UIButton, )

namespace kavro::sim {

namespace {
std::shared_ptr<UIColor> highlightColor() {
  static auto color = UIColor::dynamicColor("quickActionHighlight", {0, 0, 0, 0.1}, {1, 1, 1, 0.12});
  return color;
}
}  // namespace

std::shared_ptr<QuickActionMenuButton> QuickActionMenuButton::initWithTitle(const std::string& title,
                                                                            const std::string& symbol) {
  UIButton::initWithFrame(CGRectZero);
  titleLabel()->setFont(UIFont::systemFontOfSize(kFontSize));
  titleLabel()->setTextAlignment(NSTextAlignmentLeft);
  setTintColor(UIColor::labelColor());
  setTitleColor(UIColor::labelColor(), UIControlStateNormal);
  setTitle(title, UIControlStateNormal);
  if (auto image = UIImage::systemImageNamed(symbol)) {
    setImage(image, UIControlStateNormal);
    imageView()->setContentMode(UIViewContentModeScaleAspectFit);
  }
  return self<QuickActionMenuButton>();
}

void QuickActionMenuButton::layoutSubviews() {
  UIButton::layoutSubviews();
  CGSize size = bounds().size;
  bool hasSymbol = currentImage() != nullptr;
  CGFloat symbolSpace = hasSymbol ? kSymbolSize + kSideInset : 0;
  titleLabel()->setFrame(CGRectMake(kSideInset, 0, size.width - 2 * kSideInset - symbolSpace, size.height));
  if (hasSymbol)
    imageView()->setFrame(CGRectMake(size.width - kSideInset - kSymbolSize, (size.height - kSymbolSize) / 2,
                                     kSymbolSize, kSymbolSize));
}

void QuickActionMenuButton::setHighlighted(bool highlighted) {
  UIButton::setHighlighted(highlighted);
  setBackgroundColor(highlighted ? highlightColor() : nullptr);
}

}  // namespace kavro::sim
