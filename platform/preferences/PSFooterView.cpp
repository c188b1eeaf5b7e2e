#include "platform/preferences/PSFooterView.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PreferenceValues.h"

#include <algorithm>
#include <cctype>
#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSFooterView, UIView, )

NSTextAlignment PSFooterView::alignmentFromValue(const PlistValue& value) {
  if (auto number = kavro::platform::preferences::numberFrom(value)) {
    double rounded = std::round(*number);
    return rounded >= 0 && rounded <= 4 ? static_cast<NSTextAlignment>(rounded) : NSTextAlignmentNatural;
  }
  std::string name = value.stringOr("");
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "left") return NSTextAlignmentLeft;
  if (name == "center" || name == "centre") return NSTextAlignmentCenter;
  if (name == "right") return NSTextAlignmentRight;
  if (name == "justified") return NSTextAlignmentJustified;
  return NSTextAlignmentNatural;
}

std::shared_ptr<UILabel> PSFooterView::makeLabel(const std::string& text) {
  auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
  label->setFont(UIFont::systemFontOfSize(kFontSize));
  label->setTextColor(UIColor::secondaryLabelColor());
  label->setNumberOfLines(0);
  label->setText(text);
  return label;
}

std::shared_ptr<PSFooterView> PSFooterView::initWithText(const std::string& text, CGFloat width) {
  return initWithText(text, width, NSTextAlignmentNatural);
}

std::shared_ptr<PSFooterView> PSFooterView::initWithText(const std::string& text, CGFloat width,
                                                         NSTextAlignment alignment) {
  UIView::initWithFrame(CGRectMake(0, 0, width, heightForText(text, width)));
  label_ = makeLabel(text);
  label_->setTextAlignment(alignment);
  addSubview(label_);
  layoutSubviews();
  return self<PSFooterView>();
}

CGFloat PSFooterView::heightForText(const std::string& text, CGFloat width) {
  CGFloat textWidth = std::max<CGFloat>(1, width - 2 * kSideMargin);
  return kTopPadding + makeLabel(text)->sizeThatFits({textWidth, 0}).height + kBottomPadding;
}

CGSize PSFooterView::sizeThatFits(CGSize size) const {
  return {size.width, heightForText(label_ ? label_->text() : std::string(), size.width)};
}

void PSFooterView::layoutSubviews() {
  UIView::layoutSubviews();
  if (!label_) return;
  CGFloat width = std::max<CGFloat>(0, bounds().size.width - 2 * kSideMargin);
  CGFloat height = label_->sizeThatFits({std::max<CGFloat>(1, width), 0}).height;
  label_->setFrame(CGRectMake(kSideMargin, kTopPadding, width, height));
}
