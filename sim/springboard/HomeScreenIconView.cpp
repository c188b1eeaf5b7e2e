#include "sim/springboard/HomeScreenIconView.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITouch.h"
#include "sim/springboard/HomeScreenLayout.h"

#include <cmath>

using kavro::sim::HomeScreenIconView;
KAVRO_OBJC_CLASS_IMPLEMENTATION(HomeScreenIconView, UIView,
                                .method("longPressed:", &HomeScreenIconView::longPressed))

namespace kavro::sim {

std::shared_ptr<HomeScreenIconView> HomeScreenIconView::initWithApplication(const std::string& identifier,
                                                                            const std::string& name,
                                                                            CGFloat iconSize, bool showsName) {
  UIView::initWithFrame(CGRectMake(0, 0, iconSize, iconSize));
  identifier_ = identifier;
  name_ = name;
  iconSize_ = iconSize;
  // A screen reader reads an icon as a button named after its application, in
  // the grid, the dock and a menu's row of shortcuts alike.
  setIsAccessibilityElement(true);
  setAccessibilityLabel(name);
  setAccessibilityTraits(UIAccessibilityTraitButton);
  image_ = alloc<UIImageView>()->initWithImage(
      UIImage::_applicationIconImageForBundleIdentifier(identifier, 1, UIScreen::mainScreen()->scale()));
  image_->setContentMode(UIViewContentModeScaleAspectFill);
  image_->layer()->setCornerRadius(iconSize * HomeScreenLayout::kIconCornerRatio);
  image_->setClipsToBounds(true);
  addSubview(image_);
  if (showsName) {
    label_ = alloc<UILabel>()->initWithFrame(CGRectZero);
    label_->setText(name);
    label_->setFont(UIFont::systemFontOfSize(HomeScreenLayout::kLabelFontSize));
    label_->setTextColor(UIColor::whiteColor());
    label_->setTextAlignment(NSTextAlignmentCenter);
    label_->setNumberOfLines(1);
    addSubview(label_);
  }
  auto press = alloc<UILongPressGestureRecognizer>();
  press->initWithTarget(self<HomeScreenIconView>(), "longPressed:");
  addGestureRecognizer(press);
  return self<HomeScreenIconView>();
}

void HomeScreenIconView::layoutSubviews() {
  UIView::layoutSubviews();
  CGSize size = bounds().size;
  image_->setFrame(CGRectMake((size.width - iconSize_) / 2, 0, iconSize_, iconSize_));
  if (label_)
    label_->setFrame(CGRectMake(0, iconSize_ + HomeScreenLayout::kLabelGap, size.width,
                                HomeScreenLayout::kLabelHeight));
}

void HomeScreenIconView::setPressed(bool pressed) { image_->setAlpha(pressed ? kPressedAlpha : 1); }

void HomeScreenIconView::touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (!touches.empty()) {
    touchStart_ = touches.front()->locationInView(nullptr);
    mayTap_ = true;
    setPressed(true);
  }
  UIView::touchesBegan(touches, event);
}

void HomeScreenIconView::touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  if (mayTap_ && !touches.empty()) {
    CGPoint at = touches.front()->locationInView(nullptr);
    if (std::hypot(at.x - touchStart_.x, at.y - touchStart_.y) > kTapMovement) {
      mayTap_ = false;
      setPressed(false);
    }
  }
  UIView::touchesMoved(touches, event);
}

void HomeScreenIconView::touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  bool tapped = mayTap_;
  mayTap_ = false;
  setPressed(false);
  auto keepAlive = self<HomeScreenIconView>();
  UIView::touchesEnded(touches, event);
  if (tapped && tapHandler_) {
    auto handler = tapHandler_;  // the handler may take this icon off the screen
    handler();
  }
}

void HomeScreenIconView::touchesCancelled(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) {
  mayTap_ = false;
  setPressed(false);
  UIView::touchesCancelled(touches, event);
}

void HomeScreenIconView::longPressed(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  if (!recognizer || recognizer->state() != UIGestureRecognizerStateBegan) return;
  setPressed(false);
  if (longPressHandler_) {
    auto handler = longPressHandler_;
    handler();
  }
}

}  // namespace kavro::sim
