#include "platform/preferences/PSControlTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PSListController.h"

#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSControlTableCell, PSTableCell,
                                .method("controlChanged:", &PSControlTableCell::controlChanged))

std::shared_ptr<PSTableCell> PSControlTableCell::initWithStyle(UITableViewCellStyle style,
                                                               const std::string& reuseIdentifier,
                                                               const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::initWithStyle(style, reuseIdentifier, specifier);
  control_ = newControl();
  if (control_) {
    setAccessoryView(control_);
    control_->setEnabled(isCellEnabled());
    control_->addTarget(shared_from_this(), "controlChanged:", UIControlEventValueChanged);
    showStoredValue();
  }
  return self<PSTableCell>();
}

std::shared_ptr<UIControl> PSControlTableCell::newControl() { return nullptr; }

void PSControlTableCell::refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::refreshCellContentsWithSpecifier(specifier);
  // The control is read out under the row's label.
  if (control_ && specifier) control_->setAccessibilityLabel(specifier->name());
  showStoredValue();
}

void PSControlTableCell::setCellEnabled(bool enabled) {
  PSTableCell::setCellEnabled(enabled);
  if (control_) control_->setEnabled(enabled);
}

void PSControlTableCell::controlChanged(const id&) {
  // Controls that announce changes made by code (the bundle's switch does) report
  // the stored value being shown: that is no change to store.
  if (showingStoredValue_) return;
  auto row = specifier();
  if (!row) return;
  auto controller = listController();
  if (!controller) {
    std::fprintf(stderr, "Preferences: the row \"%s\" has no list controller as its target; its change is not stored\n",
                 row->identifier().c_str());
    return;
  }
  // A control that cannot say its value leaves the stored value alone rather than
  // erasing it.
  PlistValue value = controlValue();
  if (value.isNil()) return;
  controller->setPreferenceValue(value, row);
}

void PSControlTableCell::showStoredValue() {
  auto row = specifier();
  auto controller = listController();
  if (!control_ || !row || !controller) return;
  showingStoredValue_ = true;
  setValue(controller->readPreferenceValue(row));
  showingStoredValue_ = false;
}
