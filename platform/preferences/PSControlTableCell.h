#pragma once
// A cell whose row value is shown and edited by a control: in the accessory place
// (a switch), or across the row after its title (a slider, segmented control or
// text field). The control comes from newControl; the cell shows the row's value in
// it when it is made and on every refresh, and hands the control's value to the list
// controller (the specifier's target) to store when the control reports one of its
// storing events, unless the value is still the one shown.

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UIControl.h"

#include <memory>

class PSControlTableCell : public PSTableCell {
  KAVRO_OBJC_CLASS(PSControlTableCell)
 public:
  // Room between the row's title and a control that fills the row.
  static constexpr CGFloat kTitleSpacing = 12;
  // A title beside a control that fills the row takes at most this share of it.
  static constexpr CGFloat kTitleShare = 0.4;

  std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                             const std::shared_ptr<PSSpecifier>& specifier) override;

  // The control for the row; the cell owns what it returns. None by default.
  virtual std::shared_ptr<UIControl> newControl();
  std::shared_ptr<UIControl> control() const override { return control_; }
  // Whether the control goes across the row after the title rather than into the
  // accessory place.
  virtual bool controlFillsRow() const { return false; }
  // The control events on which the control's value is stored.
  virtual unsigned long storingEvents() const { return UIControlEventValueChanged; }

  void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  void setCellEnabled(bool enabled) override;
  void layoutSubviews() override;

  // "controlChanged:": the control's storing action. Stores the control's value
  // through the list controller.
  void controlChanged(const id& sender);

  // The control's value as it would be stored, and showing the row's value in it
  // (nil when the row has none of its type).
  virtual PlistValue controlValue() const { return {}; }
  virtual void setValue(const PlistValue& value) {}

 protected:
  // Shows the row's value in the control again.
  void showStoredValue();
  // For cells whose control fills the row: lays the title out at its natural width
  // (at most kTitleShare of the row) and returns the rest of the content view,
  // minus `trailing` points kept at its end.
  CGRect areaBesideTitle(CGFloat trailing);

 private:
  std::shared_ptr<UIControl> control_;
  bool showingStoredValue_ = false;
  // What the control showed last: the value shown or stored.
  PlistValue shownValue_;
};
