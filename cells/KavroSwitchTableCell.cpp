#include "cells/KavroSwitchTableCell.h"

#include "platform/objc/Class.h"
#include "style/Style.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(KavroSwitchTableCell, PSSwitchTableCell, )

std::shared_ptr<PSTableCell> KavroSwitchTableCell::initWithStyle(UITableViewCellStyle, const std::string& reuseIdentifier,
                                                                 const std::shared_ptr<PSSpecifier>& specifier) {
  if (!PSSwitchTableCell::initWithStyle(UITableViewCellStyleSubtitle, reuseIdentifier, specifier)) return nullptr;
  detailTextLabel()->setText(specifier ? specifier->propertyForKey("subtitle").stringOr("") : "");
  detailTextLabel()->setTextColor(kavro::style::accentColor());
  detailTextLabel()->setNumberOfLines(2);
  return self<PSTableCell>();
}

std::shared_ptr<UIControl> KavroSwitchTableCell::newControl() {
  auto control = alloc<KavroSwitch>()->initWithSize(KavroSwitchSizeMedium, KavroSwitchStateOff);
  control->setDelegate(std::static_pointer_cast<KavroSwitchDelegate>(self<KavroSwitchTableCell>()));
  control->setThumbOnTintColor(kavro::style::accentColor());
  control->setThumbOffTintColor(UIColor::labelColor());
  control->setTrackOnTintColor(UIColor::secondaryLabelColor());
  control->setTrackOffTintColor(UIColor::secondaryLabelColor());
  return control;
}

void KavroSwitchTableCell::refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  PSSwitchTableCell::refreshCellContentsWithSpecifier(specifier);
  detailTextLabel()->setTextColor(UIColor::secondaryLabelColor());
  textLabel()->setHighlightedTextColor(UIColor::labelColor());
}

void KavroSwitchTableCell::tintColorDidChange() {
  PSSwitchTableCell::tintColorDidChange();
  textLabel()->setTextColor(UIColor::labelColor());
  textLabel()->setHighlightedTextColor(UIColor::labelColor());
  detailTextLabel()->setTextColor(UIColor::secondaryLabelColor());
}

void KavroSwitchTableCell::switchStateChanged(std::int32_t) { kavro::style::playFeedbackSound(); }
