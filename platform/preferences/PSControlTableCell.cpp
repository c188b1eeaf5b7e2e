#include "platform/preferences/PSControlTableCell.h"

#include "platform/objc/Class.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PreferenceValues.h"

#include <algorithm>
#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSControlTableCell, PSTableCell,
                                .method("controlChanged:", &PSControlTableCell::controlChanged))

std::shared_ptr<PSTableCell> PSControlTableCell::initWithStyle(UITableViewCellStyle style,
                                                               const std::string& reuseIdentifier,
                                                               const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::initWithStyle(style, reuseIdentifier, specifier);
  control_ = newControl();
  if (control_) {
    if (controlFillsRow())
      contentView()->addSubview(control_);
    else
      setAccessoryView(control_);
    control_->setEnabled(isCellEnabled());
    control_->addTarget(shared_from_this(), "controlChanged:", storingEvents());
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
  // erasing it; one that still shows what it showed has nothing new to store.
  PlistValue value = controlValue();
  if (value.isNil() || value == shownValue_) return;
  shownValue_ = value;
  controller->setPreferenceValue(value, row);
}

void PSControlTableCell::showStoredValue() {
  auto row = specifier();
  auto controller = listController();
  if (!control_ || !row || !controller) return;
  showingStoredValue_ = true;
  setValue(kavro::platform::preferences::boundValue(*controller, row));
  shownValue_ = controlValue();
  showingStoredValue_ = false;
}

CGRect PSControlTableCell::areaBesideTitle(CGFloat trailing) {
  CGRect content = contentView()->bounds();
  auto title = textLabel();
  CGFloat left = kHorizontalPadding;
  if (auto image = imageView(); image && image->image()) left = CGRectGetMaxX(image->frame()) + kHorizontalPadding;
  if (title && !title->text().empty()) {
    CGFloat width = std::min(title->sizeThatFits({0, 0}).width, content.size.width * kTitleShare);
    CGRect frame = title->frame();
    title->setFrame(CGRectMake(left, frame.origin.y, width, frame.size.height));
    left += width + kTitleSpacing;
  }
  CGFloat right = content.size.width - kHorizontalPadding - trailing;
  return CGRectMake(left, 0, std::max<CGFloat>(0, right - left), content.size.height);
}

void PSControlTableCell::layoutSubviews() {
  PSTableCell::layoutSubviews();
  if (!control_ || !controlFillsRow()) return;
  CGRect area = areaBesideTitle(0);
  CGFloat height = std::min(area.size.height, control_->sizeThatFits({area.size.width, 0}).height);
  control_->setFrame(CGRectMake(area.origin.x, (area.size.height - height) / 2, area.size.width, height));
}
