#include "platform/uikit/UIVisualEffectView.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(UIVisualEffect, NSObject, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIBlurEffect, UIVisualEffect, )
KAVRO_OBJC_CLASS_IMPLEMENTATION(UIVisualEffectView, UIView, )

std::shared_ptr<UIBlurEffect> UIBlurEffect::effectWithStyle(UIBlurEffectStyle style) {
  auto effect = alloc<UIBlurEffect>();
  effect->style_ = style;
  return effect;
}

std::shared_ptr<UIVisualEffectView> UIVisualEffectView::initWithFrame(CGRect frame) {
  UIView::initWithFrame(frame);
  contentView();
  return self<UIVisualEffectView>();
}

std::shared_ptr<UIVisualEffectView> UIVisualEffectView::initWithEffect(const std::shared_ptr<UIVisualEffect>& effect) {
  initWithFrame(CGRectZero);
  effect_ = effect;
  return self<UIVisualEffectView>();
}

std::shared_ptr<UIView> UIVisualEffectView::contentView() {
  if (!contentView_) {
    contentView_ = alloc<UIView>()->initWithFrame(bounds());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(contentView_);
  }
  return contentView_;
}

void UIVisualEffectView::layoutSubviews() {
  UIView::layoutSubviews();
  if (contentView_) contentView_->setFrame(bounds());
}
