#include "platform/preferences/PSSliderTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PreferenceValues.h"

#include <algorithm>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSSliderTableCell, PSControlTableCell,
                                .method("sliderMoved:", &PSSliderTableCell::sliderMoved)
                                    .method("sliderCancelled:", &PSSliderTableCell::sliderCancelled))

using kavro::platform::preferences::booleanFrom;
using kavro::platform::preferences::numberFrom;

std::shared_ptr<UIControl> PSSliderTableCell::newControl() {
  auto slider = std::static_pointer_cast<PSSegmentableSlider>(alloc<PSSegmentableSlider>()->initWithFrame(CGRectZero));
  auto row = specifier();
  if (row) {
    double minimum = numberFrom(row->propertyForKey("min")).value_or(0);
    double maximum = numberFrom(row->propertyForKey("max")).value_or(1);
    slider->setMinimumValue(minimum);
    slider->setMaximumValue(std::max(minimum, maximum));
    slider->setSegmented(booleanFrom(row->propertyForKey("isSegmented")).value_or(false));
    if (auto count = numberFrom(row->propertyForKey("segmentCount")))
      slider->setSegmentCount(static_cast<long>(std::clamp<double>(*count, 1, PSSegmentableSlider::kMaximumSegmentCount)));
    if (booleanFrom(row->propertyForKey("showValue")).value_or(false)) {
      valueLabel_ = alloc<UILabel>()->initWithFrame(CGRectZero);
      valueLabel_->setTextAlignment(NSTextAlignmentRight);
      valueLabel_->setTextColor(UIColor::secondaryLabelColor());
      contentView()->addSubview(valueLabel_);
    }
  }
  auto self = shared_from_this();
  slider->addTarget(self, "sliderMoved:", UIControlEventValueChanged);
  slider->addTarget(self, "sliderCancelled:", UIControlEventTouchCancel);
  return slider;
}

std::shared_ptr<PSSegmentableSlider> PSSliderTableCell::slider() const {
  return std::dynamic_pointer_cast<PSSegmentableSlider>(control());
}

PlistValue PSSliderTableCell::controlValue() const {
  auto slider = this->slider();
  return slider ? PlistValue(slider->value()) : PlistValue();
}

void PSSliderTableCell::setValue(const PlistValue& value) {
  auto slider = this->slider();
  if (!slider) return;
  slider->setValue(numberFrom(value).value_or(slider->minimumValue()));
  showValueInLabel();
}

void PSSliderTableCell::showValueInLabel() {
  if (auto slider = this->slider(); slider && valueLabel_)
    valueLabel_->setText(kavro::platform::preferences::formatNumber(slider->value()));
}

void PSSliderTableCell::sliderMoved(const id&) { showValueInLabel(); }

void PSSliderTableCell::sliderCancelled(const id&) { showStoredValue(); }

void PSSliderTableCell::layoutSubviews() {
  PSTableCell::layoutSubviews();
  auto slider = this->slider();
  if (!slider) return;
  CGFloat trailing = valueLabel_ ? kValueLabelWidth + kTitleSpacing : 0;
  CGRect area = areaBesideTitle(trailing);
  slider->setFrame(CGRectMake(area.origin.x, (area.size.height - UISlider::kHeight) / 2, area.size.width, UISlider::kHeight));
  if (valueLabel_) {
    CGFloat height = valueLabel_->sizeThatFits({kValueLabelWidth, 0}).height;
    valueLabel_->setFrame(CGRectMake(CGRectGetMaxX(area) + kTitleSpacing, (area.size.height - height) / 2,
                                     kValueLabelWidth, height));
  }
}
