#include "platform/preferences/PSListItemsController.h"

#include "platform/objc/Class.h"
#include "platform/preferences/RowActions.h"

#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSListItemsController, PSListController, )

using kavro::platform::preferences::indexOfChoice;

void PSListItemsController::setSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
  PSListController::setSpecifier(specifier);
  reloadSpecifiers();
}

std::shared_ptr<PSListController> PSListItemsController::owner() {
  auto row = specifier();
  auto target = row ? std::dynamic_pointer_cast<PSListController>(row->target()) : nullptr;
  return target ? target : self<PSListController>();
}

std::shared_ptr<PSSpecifierArray> PSListItemsController::specifiers() {
  if (specifiers_) return specifiers_;
  specifiers_ = std::make_shared<PSSpecifierArray>();
  auto row = specifier();
  if (!row) return specifiers_;
  choices_ = kavro::platform::preferences::choicesOf(*row);
  auto group = PSSpecifier::emptyGroupSpecifier();
  if (PlistValue message = row->propertyForKey("staticTextMessage"); message.isString())
    group->setProperty(message, "footerText");
  specifiers_->push_back(group);
  if (choices_.fromCode) {
    std::fprintf(stderr, "Preferences: the choices of the row \"%s\" come from the bundle's code; the list is empty\n",
                 row->identifier().c_str());
    kavro::platform::preferences::recordUnavailableDataSource(*row);
  }
  auto self = this->self<PSListController>();
  for (std::size_t index = 0; index < choices_.count(); ++index) {
    auto item = PSSpecifier::preferenceSpecifierNamed(choices_.titles[index], self, PSCellType::listItem);
    item->setProperty(choices_.values[index], "value");
    specifiers_->push_back(item);
  }
  return specifiers_;
}

long PSListItemsController::selectedIndex() {
  auto row = specifier();
  if (!row) return -1;
  specifiers();
  long index = indexOfChoice(choices_, owner()->readPreferenceValue(row));
  return index >= 0 ? index : indexOfChoice(choices_, row->defaultValue());
}

std::shared_ptr<UITableViewCell> PSListItemsController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = PSListController::cellForRowAtIndexPath(tableView, indexPath);
  bool marked = indexPath.section == 0 && indexPath.row == selectedIndex();
  cell->setAccessoryType(marked ? UITableViewCellAccessoryCheckmark : UITableViewCellAccessoryNone);
  return cell;
}

void PSListItemsController::didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                    const NSIndexPath& indexPath) {
  if (tableView) tableView->deselectRowAtIndexPath(indexPath, true);
  auto row = specifier();
  auto item = specifierAtIndexPath(indexPath);
  if (!row || !item || indexPath.row == selectedIndex()) return;
  auto page = owner();
  page->setPreferenceValue(item->propertyForKey("value"), row);
  if (tableView) tableView->reloadData();
  page->reloadSpecifier(row, false);
}
