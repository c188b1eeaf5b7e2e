#pragma once
// A cell whose row value is shown and edited by a control in the accessory place.
// The control comes from newControl; the cell shows the row's stored value in it
// when it is made and on every refresh, and hands every value change of the control
// to the list controller (the specifier's target) to store.

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UIControl.h"

#include <memory>

class PSControlTableCell : public PSTableCell {
  KAVRO_OBJC_CLASS(PSControlTableCell)
 public:
  std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                             const std::shared_ptr<PSSpecifier>& specifier) override;

  // The control for the row; the cell owns what it returns. None by default.
  virtual std::shared_ptr<UIControl> newControl();
  std::shared_ptr<UIControl> control() const { return control_; }

  void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  void setCellEnabled(bool enabled) override;

  // "controlChanged:": the control's value-changed action. Stores the control's
  // value through the list controller.
  void controlChanged(const id& sender);

  // The control's value as it would be stored, and showing a stored value in it.
  virtual PlistValue controlValue() const { return {}; }
  virtual void setValue(const PlistValue& value) {}

 private:
  void showStoredValue();

  std::shared_ptr<UIControl> control_;
  bool showingStoredValue_ = false;
};
