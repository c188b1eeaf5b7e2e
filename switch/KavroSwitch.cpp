#include "switch/KavroSwitch.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(
    KavroSwitch, UIControl,
    .method("switchAreaTapped:", &KavroSwitch::switchAreaTapped)
        .method("switchThumbTapped:", &KavroSwitch::switchThumbTapped)
        .method("onTouchDown:withEvent:", &KavroSwitch::onTouchDown)
        .method("onTouchDragInside:withEvent:", &KavroSwitch::onTouchDragInside)
        .method("onTouchUpOutsideOrCanceled:withEvent:", &KavroSwitch::onTouchUpOutsideOrCanceled)
        .method("changeThumbState", &KavroSwitch::changeThumbState)
        .method("changeThumbStateONwithAnimation", &KavroSwitch::changeThumbStateONwithAnimation)
        .method("changeThumbStateOFFwithAnimation", &KavroSwitch::changeThumbStateOFFwithAnimation)
        .method("changeThumbStateONwithoutAnimation",
                &KavroSwitch::changeThumbStateONwithoutAnimation)
        .method("changeThumbStateOFFwithoutAnimation",
                &KavroSwitch::changeThumbStateOFFwithoutAnimation))

namespace {

// The stored constants of a size class; everything else follows from them.
struct SizeClass {
  CGFloat width, height, trackThickness, thumbSize;
};

SizeClass sizeClass(std::int32_t size) {
  switch (size) {
    case KavroSwitchSizeLarge: return {50, 40, 23, 31};
    case KavroSwitchSizeMedium: return {40, 30, 17, 24};
    case KavroSwitchSizeSmall: return {30, 25, 13, 18};
    // Not the medium row: the medium frame with a thinner track and smaller thumb.
    default: return {40, 30, 13, 20};
  }
}

std::shared_ptr<UIColor> rgb255(int red, int green, int blue) {
  return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, 1.0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

std::shared_ptr<KavroSwitch> KavroSwitch::init() {
  return initWithSize(KavroSwitchSizeMedium, 2, KavroSwitchStateOn);
}

std::shared_ptr<KavroSwitch> KavroSwitch::initWithSize(std::int32_t size, std::int32_t style,
                                                       std::int32_t state) {
  auto made = initWithSize(size, state);
  if (!made) return nullptr;
  made->thumbStyle_ = style;
  // The thumb keeps the default palette's colour for its state until the next
  // repaint; only the stored colours change here.
  made->storeStyledPalette();
  return made;
}

std::shared_ptr<KavroSwitch> KavroSwitch::initWithSize(std::int32_t size, std::int32_t state) {
  storeDefaultPalette();
  isEnabled_ = true;
  isBounceEnabled_ = true;
  bounceOffset_ = kDefaultBounceOffset;

  SizeClass geometry = sizeClass(size);
  trackThickness_ = geometry.trackThickness;
  thumbSize_ = geometry.thumbSize;

  if (!UIControl::initWithFrame(CGRectMake(0, 0, geometry.width, geometry.height))) return nullptr;

  buildTrack(geometry.width, geometry.height);
  buildThumb(geometry.height);
  thumbOnPosition_ = static_cast<float>(frame().size.width - switchThumb_->frame().size.width);
  thumbOffPosition_ = static_cast<float>(switchThumb_->frame().origin.x);

  if (state == KavroSwitchStateOn) {
    isOn_ = true;
    switchThumb_->setBackgroundColor(thumbOnTintColor_);
    setThumbX(thumbOnPosition_);
  } else {
    isOn_ = false;
    switchThumb_->setBackgroundColor(thumbOffTintColor_);
  }

  auto recognizer = alloc<UITapGestureRecognizer>()->initWithTarget(self<KavroSwitch>(),
                                                                    "switchAreaTapped:");
  addGestureRecognizer(recognizer);
  return self<KavroSwitch>();
}

void KavroSwitch::storeDefaultPalette() {
  thumbOnTintColor_ = rgb255(52, 109, 241);
  thumbOffTintColor_ = rgb255(249, 249, 249);
  trackOnTintColor_ = rgb255(143, 179, 247);
  trackOffTintColor_ = rgb255(193, 193, 193);
  thumbDisabledTintColor_ = rgb255(174, 174, 174);
  trackDisabledTintColor_ = rgb255(203, 203, 203);
}

void KavroSwitch::storeStyledPalette() {
  thumbOnTintColor_ = UIColor::colorWithRed(0.2, 0.6, 0.86, 1.0);
  thumbOffTintColor_ = UIColor::systemGray3Color();
  trackOnTintColor_ = UIColor::colorWithRed(0.36, 0.68, 0.89, 1.0);
  trackOffTintColor_ = UIColor::systemGrayColor();
  thumbDisabledTintColor_ = UIColor::systemGray2Color();
  trackDisabledTintColor_ = UIColor::systemGray2Color();
}

void KavroSwitch::buildTrack(CGFloat width, CGFloat height) {
  track_ = alloc<UIView>()->initWithFrame(
      CGRectMake(0, (height - trackThickness_) / 2, width, trackThickness_));
  track_->setBackgroundColor(UIColor::grayColor());
  CGRect placed = track_->frame();
  track_->layer()->setCornerRadius(std::min(placed.size.height, placed.size.width) / 2);
  addSubview(track_);
}

void KavroSwitch::buildThumb(CGFloat height) {
  switchThumb_ = alloc<UIButton>()->initWithFrame(
      CGRectMake(0, (height - thumbSize_) / 2, thumbSize_, thumbSize_));
  switchThumb_->setBackgroundColor(UIColor::whiteColor());
  auto layer = switchThumb_->layer();
  layer->setCornerRadius(switchThumb_->frame().size.height / 2);
  layer->setShadowOpacity(0.5f);
  layer->setShadowOffset(CGSizeMake(0, 1));
  layer->setShadowColor(UIColor::blackColor()->CGColor());
  layer->setShadowRadius(2.0);
  registerThumbTargets();
  addSubview(switchThumb_);
}

void KavroSwitch::registerThumbTargets() {
  id target = self<KavroSwitch>();
  switchThumb_->addTarget(target, "onTouchDown:withEvent:", UIControlEventTouchDown);
  switchThumb_->addTarget(target, "onTouchUpOutsideOrCanceled:withEvent:",
                          UIControlEventTouchUpOutside);
  switchThumb_->addTarget(target, "switchThumbTapped:", UIControlEventTouchUpInside);
  switchThumb_->addTarget(target, "onTouchDragInside:withEvent:", UIControlEventTouchDragInside);
  switchThumb_->addTarget(target, "onTouchUpOutsideOrCanceled:withEvent:",
                          UIControlEventTouchCancel);
}

// ---------------------------------------------------------------------------
// State changes

void KavroSwitch::setOn(bool on, bool animated) {
  if (on && animated)
    changeThumbStateONwithAnimation();
  else if (on)
    changeThumbStateONwithoutAnimation();
  else if (animated)
    changeThumbStateOFFwithAnimation();
  else
    changeThumbStateOFFwithoutAnimation();
}

void KavroSwitch::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  auto self = this->self<KavroSwitch>();
  UIView::animateWithDuration(kEnabledFadeDuration, [self, enabled] {
    self->paintColors(self->isOn_, enabled);
    self->isEnabled_ = enabled;
  });
}

void KavroSwitch::changeThumbState() {
  if (!isOn_)
    changeThumbStateONwithAnimation();
  else
    changeThumbStateOFFwithAnimation();
}

void KavroSwitch::changeThumbStateONwithAnimation() { animateTo(true); }
void KavroSwitch::changeThumbStateOFFwithAnimation() { animateTo(false); }
void KavroSwitch::changeThumbStateONwithoutAnimation() { jumpTo(true); }
void KavroSwitch::changeThumbStateOFFwithoutAnimation() { jumpTo(false); }

void KavroSwitch::animateTo(bool on) {
  // The blocks hold the switch: it lives until its last completion has run.
  auto self = this->self<KavroSwitch>();
  float overshoot = on ? thumbOnPosition_ + bounceOffset_ : thumbOffPosition_ - bounceOffset_;
  UIView::animateWithDuration(
      kOvershootDuration, kOvershootDelay, 0,
      [self, on, overshoot] {
        self->setThumbX(overshoot);
        self->paintColors(on, self->isEnabled_);
        self->setUserInteractionEnabled(false);
      },
      [self, on](bool) {
        // Runs whether the overshoot ended or was cut short.
        self->flipTo(on);
        float end = on ? self->thumbOnPosition_ : self->thumbOffPosition_;
        UIView::animateWithDuration(
            kSettleDuration, [self, end] { self->setThumbX(end); },
            // No count of changes in flight: the first settle to end re-enables touches.
            [self](bool) { self->setUserInteractionEnabled(true); });
      });
}

void KavroSwitch::jumpTo(bool on) {
  setThumbX(on ? thumbOnPosition_ : thumbOffPosition_);
  paintColors(on, isEnabled_);
  flipTo(on);
}

void KavroSwitch::flipTo(bool on) {
  if (isOn_ == on) return;
  isOn_ = on;
  sendActionsForControlEvents(UIControlEventValueChanged);
}

void KavroSwitch::paintColors(bool on, bool enabled) {
  if (!enabled) {
    switchThumb_->setBackgroundColor(thumbDisabledTintColor_);
    track_->setBackgroundColor(trackDisabledTintColor_);
  } else if (on) {
    switchThumb_->setBackgroundColor(thumbOnTintColor_);
    track_->setBackgroundColor(trackOnTintColor_);
  } else {
    switchThumb_->setBackgroundColor(thumbOffTintColor_);
    track_->setBackgroundColor(trackOffTintColor_);
  }
}

void KavroSwitch::setThumbX(CGFloat x) {
  CGRect frame = switchThumb_->frame();
  frame.origin.x = x;
  switchThumb_->setFrame(frame);
}

void KavroSwitch::willMoveToSuperview(const std::shared_ptr<UIView>& newSuperview) {
  UIControl::willMoveToSuperview(newSuperview);
  if (isOn_) {
    // An on thumb stays where it is.
    switchThumb_->setBackgroundColor(thumbOnTintColor_);
    track_->setBackgroundColor(trackOnTintColor_);
  } else {
    switchThumb_->setBackgroundColor(thumbOffTintColor_);
    track_->setBackgroundColor(trackOffTintColor_);
    changeThumbStateOFFwithoutAnimation();
  }
  if (!isEnabled_) {
    switchThumb_->setBackgroundColor(thumbDisabledTintColor_);
    track_->setBackgroundColor(trackDisabledTintColor_);
  }
  // The bounce flag takes effect here and nowhere else.
  bounceOffset_ = isBounceEnabled_ ? kDefaultBounceOffset : 0.0f;
}

// ---------------------------------------------------------------------------
// Touches

void KavroSwitch::switchAreaTapped(const id&) { tap(); }

void KavroSwitch::switchThumbTapped(const id&) { tap(); }

void KavroSwitch::tap() {
  // The delegate may drop the last other reference to the switch.
  auto keepAlive = self<KavroSwitch>();
  // Told before anything changes, so it receives (and can read) the old state.
  if (auto delegate = delegate_.lock()) delegate->switchStateChanged(isOn_ ? 1 : 0);
  changeThumbState();
}

void KavroSwitch::onTouchDown(const id&, const std::shared_ptr<UIEvent>&) {}

void KavroSwitch::onTouchDragInside(const id&, const std::shared_ptr<UIEvent>& event) {
  CGFloat x = switchThumb_->frame().origin.x + thumbTouchMovement(event);
  x = std::min<CGFloat>(x, thumbOnPosition_);
  x = std::max<CGFloat>(x, thumbOffPosition_);
  if (x != switchThumb_->frame().origin.x) setThumbX(x);
}

void KavroSwitch::onTouchUpOutsideOrCanceled(const id&, const std::shared_ptr<UIEvent>& event) {
  float x = static_cast<float>(switchThumb_->frame().origin.x + thumbTouchMovement(event));
  CGFloat middle = (frame().size.width - switchThumb_->frame().size.width) / 2;
  // Exactly half way counts as nearer the off end.
  if (x > middle)
    changeThumbStateONwithAnimation();
  else
    changeThumbStateOFFwithAnimation();
}

float KavroSwitch::thumbTouchMovement(const std::shared_ptr<UIEvent>& event) const {
  if (!event) return 0;
  auto touches = event->touchesForView(switchThumb_);
  if (touches.empty()) return 0;
  const auto& touch = touches.front();
  return static_cast<float>(touch->locationInView(switchThumb_).x -
                            touch->previousLocationInView(switchThumb_).x);
}
