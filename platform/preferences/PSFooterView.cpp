#include "platform/preferences/PSFooterView.h"

#include "platform/objc/Class.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSFooterView, UIView, )

std::shared_ptr<UILabel> PSFooterView::makeLabel(const std::string& text) {
  auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
  label->setFont(UIFont::systemFontOfSize(kFontSize));
  label->setTextColor(UIColor::secondaryLabelColor());
  label->setNumberOfLines(0);
  label->setText(text);
  return label;
}

std::shared_ptr<PSFooterView> PSFooterView::initWithText(const std::string& text, CGFloat width) {
  UIView::initWithFrame(CGRectMake(0, 0, width, heightForText(text, width)));
  label_ = makeLabel(text);
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
