#pragma once
// The cell of a segment row: a UISegmentedControl of the row's "validTitles"
// across the row after its title, the segment of the row's value selected (none
// when the value is none of the row's "validValues"). A tap on a segment stores its
// value.

#include "platform/preferences/PSControlTableCell.h"
#include "platform/uikit/UISegmentedControl.h"

class PSSegmentTableCell : public PSControlTableCell {
  KAVRO_OBJC_CLASS(PSSegmentTableCell)
 public:
  std::shared_ptr<UIControl> newControl() override;
  bool controlFillsRow() const override { return true; }

  PlistValue controlValue() const override;
  void setValue(const PlistValue& value) override;
  std::shared_ptr<UISegmentedControl> segmentedControl() const;

 private:
  PlistValue::Array values_;
};
