#include "platform/preferences/PSSegmentableSlider.h"

#include "platform/objc/Class.h"

#include <algorithm>
#include <cmath>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSSegmentableSlider, UISlider, )

void PSSegmentableSlider::setSegmented(bool segmented) {
  segmented_ = segmented;
  setValue(value());
}

void PSSegmentableSlider::setSegmentCount(long count) {
  segmentCount_ = std::clamp<long>(count, 1, kMaximumSegmentCount);
  setValue(value());
}

double PSSegmentableSlider::constrainedValue(double value) const {
  double within = UISlider::constrainedValue(value);
  double span = maximumValue() - minimumValue();
  if (!segmented_ || span <= 0) return within;
  double step = span / static_cast<double>(segmentCount_);
  double index = std::round((within - minimumValue()) / step);
  // The last place is the maximum itself, not a sum that rounding may leave short.
  if (index >= static_cast<double>(segmentCount_)) return maximumValue();
  return minimumValue() + index * step;
}
