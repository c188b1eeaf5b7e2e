#include "platform/uikit/UISlider.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UISliderPrivate.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>
#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UISlider, UIControl, )

using kavro::platform::uikit::SliderTracking;

namespace {
// A finger this close to the thumb takes hold of it rather than of the track.
constexpr CGFloat kThumbGrabMargin = 8;
constexpr CGFloat kSliderDisabledAlpha = 0.5;
constexpr double kAnimationDuration = 0.25;

std::shared_ptr<UIColor> trackFillColor() {
  static const auto color =
      UIColor::dynamicColor("systemFillColor", {120 / 255.0, 120 / 255.0, 128 / 255.0, 0.2},
                            {120 / 255.0, 120 / 255.0, 128 / 255.0, 0.36});
  return color;
}

std::shared_ptr<UIView> partView() {
  auto view = alloc<UIView>()->initWithFrame(CGRectZero);
  // The slider takes every touch on its parts itself.
  view->setUserInteractionEnabled(false);
  return view;
}
}  // namespace

UISlider::UISlider() = default;
UISlider::~UISlider() = default;

std::shared_ptr<UISlider> UISlider::initWithFrame(CGRect frame) {
  UIControl::initWithFrame(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, kHeight));
  minimumTrack_ = partView();
  maximumTrack_ = partView();
  for (auto& track : {minimumTrack_, maximumTrack_}) {
    track->layer()->setCornerRadius(kTrackHeight / 2);
    addSubview(track);
  }
  thumb_ = partView();
  thumb_->layer()->setCornerRadius(kThumbSize / 2);
  thumb_->layer()->setShadowColor(UIColor::blackColor()->CGColor());
  thumb_->layer()->setShadowOpacity(0.25f);
  thumb_->layer()->setShadowOffset({0, 2});
  thumb_->layer()->setShadowRadius(3);
  addSubview(thumb_);
  applyColours();
  return self<UISlider>();
}

void UISlider::setValue(double value, bool animated) {
  if (std::isnan(value)) return;
  value_ = constrainedValue(value);
  setNeedsLayout();
  if (animated) UIView::animateWithDuration(kAnimationDuration, [this] { layoutSubviews(); });
}

void UISlider::setMinimumValue(double minimum) {
  if (!std::isfinite(minimum)) return;
  minimumValue_ = minimum;
  maximumValue_ = std::max(maximumValue_, minimum);
  value_ = constrainedValue(value_);
  setNeedsLayout();
}

void UISlider::setMaximumValue(double maximum) {
  if (!std::isfinite(maximum)) return;
  maximumValue_ = maximum;
  minimumValue_ = std::min(minimumValue_, maximum);
  value_ = constrainedValue(value_);
  setNeedsLayout();
}

double UISlider::constrainedValue(double value) const { return std::clamp(value, minimumValue_, maximumValue_); }

void UISlider::setMinimumTrackTintColor(const std::shared_ptr<UIColor>& color) {
  minimumTrackTintColor_ = color;
  applyColours();
}

void UISlider::setMaximumTrackTintColor(const std::shared_ptr<UIColor>& color) {
  maximumTrackTintColor_ = color;
  applyColours();
}

void UISlider::setThumbTintColor(const std::shared_ptr<UIColor>& color) {
  thumbTintColor_ = color;
  applyColours();
}

void UISlider::tintColorDidChange() {
  UIControl::tintColorDidChange();
  applyColours();
}

void UISlider::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  for (auto& part : {minimumTrack_, maximumTrack_, thumb_})
    if (part) part->setAlpha(enabled ? 1 : kSliderDisabledAlpha);
}

void UISlider::applyColours() {
  if (!thumb_) return;
  minimumTrack_->setBackgroundColor(minimumTrackTintColor_ ? minimumTrackTintColor_ : tintColor());
  maximumTrack_->setBackgroundColor(maximumTrackTintColor_ ? maximumTrackTintColor_ : trackFillColor());
  thumb_->setBackgroundColor(thumbTintColor_ ? thumbTintColor_ : UIColor::whiteColor());
}

// ---------------------------------------------------------------------------
// Geometry

CGRect UISlider::trackRectForBounds(CGRect bounds) const {
  return CGRectMake(bounds.origin.x, bounds.origin.y + (bounds.size.height - kTrackHeight) / 2, bounds.size.width,
                    kTrackHeight);
}

CGRect UISlider::thumbRectForBounds(CGRect bounds, CGRect trackRect, double value) const {
  double span = maximumValue_ - minimumValue_;
  double fraction = span > 0 ? std::clamp((value - minimumValue_) / span, 0.0, 1.0) : 0;
  CGFloat travel = std::max<CGFloat>(0, trackRect.size.width - kThumbSize);
  return CGRectMake(trackRect.origin.x + travel * fraction, bounds.origin.y + (bounds.size.height - kThumbSize) / 2,
                    kThumbSize, kThumbSize);
}

void UISlider::layoutSubviews() {
  UIControl::layoutSubviews();
  if (!thumb_) return;
  CGRect area = bounds();
  CGRect track = trackRectForBounds(area);
  CGRect thumb = thumbRectForBounds(area, track, value_);
  CGFloat split = CGRectGetMidX(thumb);
  minimumTrack_->setFrame(CGRectMake(track.origin.x, track.origin.y, split - track.origin.x, track.size.height));
  maximumTrack_->setFrame(CGRectMake(split, track.origin.y, CGRectGetMaxX(track) - split, track.size.height));
  thumb_->setFrame(thumb);
}

CGSize UISlider::sizeThatFits(CGSize size) const { return {size.width, kHeight}; }

double UISlider::valueAtLocation(CGFloat x) const {
  CGRect track = trackRectForBounds(bounds());
  CGFloat travel = track.size.width - kThumbSize;
  if (travel <= 0) return minimumValue_;
  double fraction = std::clamp<double>((x - track.origin.x - kThumbSize / 2) / travel, 0, 1);
  return minimumValue_ + fraction * (maximumValue_ - minimumValue_);
}

void UISlider::moveThumbTo(double value) {
  double taken = constrainedValue(value);
  if (taken == value_) return;
  value_ = taken;
  setNeedsLayout();
  layoutIfNeeded();
  if (continuous_) sendActionsForControlEvents(UIControlEventValueChanged);
}

// ---------------------------------------------------------------------------
// Tracking

bool UISlider::beginTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>&) {
  CGPoint point = touch->locationInView(self<UIView>());
  tracking_ = std::make_unique<SliderTracking>();
  tracking_->valueAtStart = value_;
  CGRect thumb = thumbRectForBounds(bounds(), trackRectForBounds(bounds()), value_);
  if (CGRectContainsPoint(CGRectInset(thumb, -kThumbGrabMargin, -kThumbGrabMargin), point)) {
    tracking_->grabOffset = point.x - CGRectGetMidX(thumb);
  } else {
    moveThumbTo(valueAtLocation(point.x));
  }
  return true;
}

bool UISlider::continueTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>&) {
  if (!tracking_) return false;
  moveThumbTo(valueAtLocation(touch->locationInView(self<UIView>()).x - tracking_->grabOffset));
  return true;
}

void UISlider::endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>& event) {
  if (!tracking_) return;
  continueTrackingWithTouch(touch, event);
  double start = tracking_->valueAtStart;
  tracking_.reset();
  if (!continuous_ && value_ != start) sendActionsForControlEvents(UIControlEventValueChanged);
}

void UISlider::cancelTrackingWithEvent(const std::shared_ptr<UIEvent>&) { tracking_.reset(); }

// ---------------------------------------------------------------------------
// Accessibility

bool UISlider::isAccessibilityElement() const { return explicitAccessibilityElement().value_or(true); }

std::string UISlider::accessibilityValue() const {
  if (auto value = explicitAccessibilityValue()) return *value;
  double span = maximumValue_ - minimumValue_;
  double fraction = span > 0 ? (value_ - minimumValue_) / span : 0;
  return std::to_string(static_cast<long>(std::lround(fraction * 100))) + "%";
}

UIAccessibilityTraits UISlider::accessibilityTraits() const {
  if (auto traits = explicitAccessibilityTraits()) return *traits;
  return UIAccessibilityTraitAdjustable | (isEnabled() ? UIAccessibilityTraitNone : UIAccessibilityTraitNotEnabled);
}
