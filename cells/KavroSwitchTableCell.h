#pragma once
// The cell of the settings page's on/off rows: the bundle's medium switch in the
// page's colours where the framework would put its own switch, the row's subtitle on
// up to two lines, and the feedback sound on every tap of the switch. The framework
// keeps the switch and the row's stored value in step.

#include "platform/preferences/PSSwitchTableCell.h"
#include "switch/KavroSwitch.h"

class KavroSwitchTableCell : public PSSwitchTableCell, public KavroSwitchDelegate {
  KAVRO_OBJC_CLASS(KavroSwitchTableCell)
 public:
  std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                             const std::shared_ptr<PSSpecifier>& specifier) override;
  std::shared_ptr<UIControl> newControl() override;
  void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  void tintColorDidChange() override;
  void switchStateChanged(std::int32_t state) override;
};
