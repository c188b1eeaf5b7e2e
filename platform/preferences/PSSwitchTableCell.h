#pragma once
// The cell of a switch row: an on/off control bound to the row's stored value. The
// control is a UISwitch unless a subclass makes another; any control that offers
// isOn, setOn:animated: and the value-changed event will do.

#include "platform/preferences/PSControlTableCell.h"

class PSSwitchTableCell : public PSControlTableCell {
  KAVRO_OBJC_CLASS(PSSwitchTableCell)
 public:
  std::shared_ptr<UIControl> newControl() override;

  // The switch's state as a boolean, and a stored value shown without animation.
  // A control without the on/off operations has no value.
  PlistValue controlValue() const override;
  void setValue(const PlistValue& value) override;
};
