#include "cells/KavroTableCell.h"

#include "platform/objc/Class.h"

KAVRO_OBJC_CLASS_IMPLEMENTATION(KavroTableCell, PSTableCell, )

std::shared_ptr<PSTableCell> KavroTableCell::initWithStyle(UITableViewCellStyle, const std::string& reuseIdentifier,
                                                           const std::shared_ptr<PSSpecifier>& specifier) {
  if (!PSTableCell::initWithStyle(UITableViewCellStyleSubtitle, reuseIdentifier, specifier)) return nullptr;
  detailTextLabel()->setText(specifier ? specifier->propertyForKey("subtitle").stringOr("") : "");
  detailTextLabel()->setTextAlignment(NSTextAlignmentLeft);
  detailTextLabel()->setNumberOfLines(specifier ? static_cast<long>(specifier->propertyForKey("lines").integerValue()) : 0);
  return self<PSTableCell>();
}

void KavroTableCell::refreshCellContentsWithSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  PSTableCell::refreshCellContentsWithSpecifier(specifier);
  detailTextLabel()->setTextColor(UIColor::secondaryLabelColor());
}

void KavroTableCell::tintColorDidChange() {
  PSTableCell::tintColorDidChange();
  textLabel()->setTextColor(UIColor::labelColor());
  detailTextLabel()->setTextColor(UIColor::secondaryLabelColor());
}
