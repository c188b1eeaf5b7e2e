#pragma once
// The cell of a slider row: a PSSegmentableSlider across the row after its title,
// from "min" (0 when absent) to "max" (1 when absent; a maximum below the minimum is
// taken as the minimum), moving in "segmentCount" steps when "isSegmented"; with
// "showValue" a label after the slider shows its value as it moves. The value is
// stored once the finger lifts; a touch the system cancels shows the stored value
// again.

#include "platform/preferences/PSControlTableCell.h"
#include "platform/preferences/PSSegmentableSlider.h"
#include "platform/uikit/UILabel.h"

class PSSliderTableCell : public PSControlTableCell {
  KAVRO_OBJC_CLASS(PSSliderTableCell)
 public:
  // The width kept for the value label of a row with "showValue".
  static constexpr CGFloat kValueLabelWidth = 48;

  std::shared_ptr<UIControl> newControl() override;
  bool controlFillsRow() const override { return true; }
  unsigned long storingEvents() const override { return UIControlEventTouchUpInside | UIControlEventTouchUpOutside; }

  // The slider's value as a real number; a number is shown as it is (within the
  // range), no value as the minimum.
  PlistValue controlValue() const override;
  void setValue(const PlistValue& value) override;

  std::shared_ptr<PSSegmentableSlider> slider() const;
  // The value label, or nullptr for a row without "showValue".
  std::shared_ptr<UILabel> valueLabel() const { return valueLabel_; }

  void layoutSubviews() override;

  // "sliderMoved:" and "sliderCancelled:": the slider's live changes and a touch
  // the system took away.
  void sliderMoved(const id& sender);
  void sliderCancelled(const id& sender);

 private:
  void showValueInLabel();
  std::shared_ptr<UILabel> valueLabel_;
};
