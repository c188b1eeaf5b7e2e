#pragma once
// The cells of preference rows: the class a row's cell is made of (its "cellClass"
// when that names a PSTableCell class the process has, else the standard cell of its
// type), the reuse identifier, and making the cell.

#include "platform/objc/Class.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"

#include <memory>
#include <set>
#include <string>

namespace kavro::platform::preferences {

// PSSwitchTableCell, PSSliderTableCell, PSSegmentTableCell or PSEditableTableCell for
// rows with those controls, PSTableCell for the others.
const Class* standardCellClass(PSCellType type);
// A "cellClass" the process does not have, or that is no cell, is said once a name
// on standard error (`reported` keeps the names said), and the row gets its type's
// standard cell.
const Class* cellClassForSpecifier(const PSSpecifier& specifier, std::set<std::string>& reported);
std::string reuseIdentifierFor(const Class* cls, const PSSpecifier& specifier);
// A cell class that refuses to initialise still leaves the row a plain cell.
std::shared_ptr<PSTableCell> makeCell(const Class* cls, const std::string& reuseIdentifier,
                                      const std::shared_ptr<PSSpecifier>& specifier);

}  // namespace kavro::platform::preferences
