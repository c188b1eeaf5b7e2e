#include "platform/preferences/CellFactory.h"

#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/PSEditableTableCell.h"
#include "platform/preferences/PSSegmentTableCell.h"
#include "platform/preferences/PSSliderTableCell.h"
#include "platform/preferences/PSSwitchTableCell.h"

#include <cstdio>

namespace kavro::platform::preferences {

const Class* standardCellClass(PSCellType type) {
  switch (type) {
    case PSCellType::switchCell: return PSSwitchTableCell::classObject();
    case PSCellType::slider: return PSSliderTableCell::classObject();
    case PSCellType::segment: return PSSegmentTableCell::classObject();
    case PSCellType::editText:
    case PSCellType::secureEditText: return PSEditableTableCell::classObject();
    default: return PSTableCell::classObject();
  }
}

const Class* cellClassForSpecifier(const PSSpecifier& specifier, std::set<std::string>& reported) {
  const Class* fallback = standardCellClass(specifier.cellType());
  std::string name = specifier.cellClassName();
  if (name.empty()) return fallback;
  const Class* named = NSClassFromString(name);
  if (named && named->isSubclassOfClass(PSTableCell::classObject())) return named;
  if (reported.insert(name).second)
    std::fprintf(stderr, "Preferences: the cell class \"%s\" of the row \"%s\" %s; the row uses %s\n", name.c_str(),
                 specifier.identifier().c_str(), named ? "is no PSTableCell" : "does not exist",
                 fallback->name().c_str());
  return fallback;
}

std::string reuseIdentifierFor(const Class* cls, const PSSpecifier& specifier) {
  return cls->name() + ":" + PSSpecifier::nameOfCellType(specifier.cellType());
}

std::shared_ptr<PSTableCell> makeCell(const Class* cls, const std::string& reuseIdentifier,
                                      const std::shared_ptr<PSSpecifier>& specifier) {
  auto cell = std::dynamic_pointer_cast<PSTableCell>(cls->alloc());
  if (!cell) cell = alloc<PSTableCell>();
  auto made = cell->initWithStyle(PSTableCell::cellStyleForType(specifier->cellType()), reuseIdentifier, specifier);
  if (made) return made;
  return alloc<PSTableCell>()->initWithStyle(UITableViewCellStyleDefault, reuseIdentifier, specifier);
}

}  // namespace kavro::platform::preferences
