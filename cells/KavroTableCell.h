#pragma once
// The cell of the settings page's rows without a switch: the subtitle layout, the
// row's "subtitle" as its detail text on as many lines as the row's "lines" says
// (no limit without it), and the system's label colours.

#include "platform/preferences/PSTableCell.h"

class KavroTableCell : public PSTableCell {
  KAVRO_OBJC_CLASS(KavroTableCell)
 public:
  std::shared_ptr<PSTableCell> initWithStyle(UITableViewCellStyle style, const std::string& reuseIdentifier,
                                             const std::shared_ptr<PSSpecifier>& specifier) override;
  void refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  void tintColorDidChange() override;
};
