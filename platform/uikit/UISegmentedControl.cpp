#include "platform/uikit/UISegmentedControl.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITouch.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(UISegmentedControl, UIControl, )

namespace {
constexpr CGFloat kCornerRadius = 8;
constexpr CGFloat kIndicatorInset = 2;
constexpr CGFloat kTitlePadding = 12;
constexpr CGFloat kSegmentsFontSize = 13;
constexpr CGFloat kSeparatorWidth = 1;
constexpr CGFloat kSeparatorInset = 8;
constexpr CGFloat kSegmentsDisabledAlpha = 0.5;

std::shared_ptr<UIColor> plateColor() {
  static const auto color = UIColor::dynamicColor("tertiarySystemFillColor", {118 / 255.0, 118 / 255.0, 128 / 255.0, 0.12},
                                                  {118 / 255.0, 118 / 255.0, 128 / 255.0, 0.24});
  return color;
}

std::shared_ptr<UIColor> indicatorColor() {
  static const auto color = UIColor::dynamicColor("segmentIndicatorColor", {1, 1, 1, 1},
                                                  {99 / 255.0, 99 / 255.0, 102 / 255.0, 1});
  return color;
}
}  // namespace

std::shared_ptr<UISegmentedControl> UISegmentedControl::initWithItems(const std::vector<std::string>& items) {
  UIControl::initWithFrame(CGRectZero);
  setBackgroundColor(plateColor());
  layer()->setCornerRadius(kCornerRadius);
  indicator_ = alloc<UIView>()->initWithFrame(CGRectZero);
  indicator_->setUserInteractionEnabled(false);
  indicator_->setBackgroundColor(indicatorColor());
  indicator_->layer()->setCornerRadius(kCornerRadius - kIndicatorInset);
  indicator_->layer()->setShadowColor(UIColor::blackColor()->CGColor());
  indicator_->layer()->setShadowOpacity(0.12f);
  indicator_->layer()->setShadowOffset({0, 3});
  indicator_->layer()->setShadowRadius(4);
  indicator_->setHidden(true);
  addSubview(indicator_);
  titles_ = items;
  rebuildLabels();
  CGSize size = sizeThatFits({0, 0});
  setFrame(CGRectMake(0, 0, size.width, size.height));
  return self<UISegmentedControl>();
}

std::string UISegmentedControl::titleForSegmentAtIndex(long segment) const {
  return segment >= 0 && segment < numberOfSegments() ? titles_[static_cast<std::size_t>(segment)] : std::string();
}

void UISegmentedControl::setTitle(const std::string& title, long segment) {
  if (segment < 0 || segment >= numberOfSegments()) return;
  titles_[static_cast<std::size_t>(segment)] = title;
  labels_[static_cast<std::size_t>(segment)]->setText(title);
  setNeedsLayout();
}

void UISegmentedControl::insertSegmentWithTitle(const std::string& title, long segment, bool) {
  long at = std::clamp<long>(segment, 0, numberOfSegments());
  titles_.insert(titles_.begin() + at, title);
  if (selected_ >= at) ++selected_;
  rebuildLabels();
}

void UISegmentedControl::removeAllSegments() {
  titles_.clear();
  selected_ = UISegmentedControlNoSegment;
  rebuildLabels();
}

void UISegmentedControl::setSelectedSegmentIndex(long segment) {
  selected_ = segment >= 0 && segment < numberOfSegments() ? segment : UISegmentedControlNoSegment;
  setNeedsLayout();
}

void UISegmentedControl::rebuildLabels() {
  for (auto& view : labels_) view->removeFromSuperview();
  for (auto& view : separators_) view->removeFromSuperview();
  labels_.clear();
  separators_.clear();
  for (std::size_t index = 0; index < titles_.size(); ++index) {
    if (index > 0) {
      auto separator = alloc<UIView>()->initWithFrame(CGRectZero);
      separator->setUserInteractionEnabled(false);
      separator->setBackgroundColor(UIColor::separatorColor());
      insertSubviewBelow(separator, indicator_);
      separators_.push_back(separator);
    }
    auto label = alloc<UILabel>()->initWithFrame(CGRectZero);
    label->setUserInteractionEnabled(false);
    label->setFont(UIFont::systemFontOfSize(kSegmentsFontSize, UIFontWeightMedium));
    label->setTextAlignment(NSTextAlignmentCenter);
    label->setText(titles_[index]);
    addSubview(label);
    labels_.push_back(label);
  }
  setNeedsLayout();
}

CGFloat UISegmentedControl::segmentWidth() const {
  return titles_.empty() ? 0 : bounds().size.width / static_cast<CGFloat>(titles_.size());
}

long UISegmentedControl::segmentAtPoint(CGPoint point) const {
  CGFloat width = segmentWidth();
  if (width <= 0 || !CGRectContainsPoint(bounds(), point)) return UISegmentedControlNoSegment;
  return std::min(numberOfSegments() - 1, static_cast<long>((point.x - bounds().origin.x) / width));
}

void UISegmentedControl::layoutSubviews() {
  UIControl::layoutSubviews();
  CGFloat width = segmentWidth(), height = bounds().size.height;
  for (std::size_t index = 0; index < labels_.size(); ++index) {
    CGFloat x = width * static_cast<CGFloat>(index);
    labels_[index]->setFrame(CGRectMake(x + kIndicatorInset, 0, std::max<CGFloat>(0, width - 2 * kIndicatorInset), height));
    bool selected = static_cast<long>(index) == selected_;
    labels_[index]->setFont(UIFont::systemFontOfSize(kSegmentsFontSize, selected ? UIFontWeightSemibold : UIFontWeightMedium));
    if (index > 0) {
      // No line runs beside the selected segment.
      auto& separator = separators_[index - 1];
      separator->setFrame(CGRectMake(x - kSeparatorWidth / 2, kSeparatorInset, kSeparatorWidth, height - 2 * kSeparatorInset));
      separator->setHidden(selected || static_cast<long>(index) - 1 == selected_);
    }
  }
  indicator_->setHidden(selected_ == UISegmentedControlNoSegment);
  if (selected_ != UISegmentedControlNoSegment)
    indicator_->setFrame(CGRectInset(CGRectMake(width * static_cast<CGFloat>(selected_), 0, width, height),
                                     kIndicatorInset, kIndicatorInset));
}

CGSize UISegmentedControl::sizeThatFits(CGSize) const {
  CGFloat widest = 0;
  for (auto& label : labels_) widest = std::max(widest, label->sizeThatFits({0, 0}).width);
  return {(widest + 2 * kTitlePadding) * static_cast<CGFloat>(labels_.size()), kHeight};
}

void UISegmentedControl::setEnabled(bool enabled) {
  UIControl::setEnabled(enabled);
  for (auto& label : labels_) label->setAlpha(enabled ? 1 : kSegmentsDisabledAlpha);
}

void UISegmentedControl::endTrackingWithTouch(const std::shared_ptr<UITouch>& touch, const std::shared_ptr<UIEvent>&) {
  long segment = segmentAtPoint(touch->locationInView(self<UIView>()));
  if (segment == UISegmentedControlNoSegment || segment == selected_) return;
  setSelectedSegmentIndex(segment);
  layoutIfNeeded();
  sendActionsForControlEvents(UIControlEventValueChanged);
}

bool UISegmentedControl::isAccessibilityElement() const { return explicitAccessibilityElement().value_or(true); }

std::string UISegmentedControl::accessibilityValue() const {
  if (auto value = explicitAccessibilityValue()) return *value;
  return titleForSegmentAtIndex(selected_);
}
