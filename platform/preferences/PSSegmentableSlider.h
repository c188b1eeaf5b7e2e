#pragma once
// The slider of a slider row: a UISlider that, when segmented, moves in
// `segmentCount` equal steps from its minimum to its maximum (segmentCount + 1
// places), the thumb snapping to the nearest while it is dragged.

#include "platform/uikit/UISlider.h"

class PSSegmentableSlider : public UISlider {
  KAVRO_OBJC_CLASS(PSSegmentableSlider)
 public:
  // More steps than this are as many as this.
  static constexpr long kMaximumSegmentCount = 10'000;

  bool isSegmented() const { return segmented_; }
  void setSegmented(bool segmented);
  long segmentCount() const { return segmentCount_; }
  // At least one step.
  void setSegmentCount(long count);

 protected:
  double constrainedValue(double value) const override;

 private:
  bool segmented_ = false;
  long segmentCount_ = 1;
};
