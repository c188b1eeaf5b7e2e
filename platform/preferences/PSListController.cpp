#include "platform/preferences/PSListController.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/objc/Class.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/CellFactory.h"
#include "platform/preferences/ChildPages.h"
#include "platform/preferences/PSEditableTableCell.h"
#include "platform/preferences/PSFooterView.h"
#include "platform/preferences/PSSpecifierList.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/preferences/RowActions.h"
#include "platform/preferences/RowAvailability.h"
#include "platform/preferences/SpecifierResources.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace preferences = kavro::platform::preferences;

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSListController, PSViewController, )

// ---------------------------------------------------------------------------
// Specifiers

std::shared_ptr<PSSpecifierArray> PSListController::specifiers() {
  if (!specifiers_ && loadsNamedList_) specifiers_ = loadSpecifiersFromPlistName(listName_, shared_from_this());
  return specifiers_;
}

void PSListController::setSpecifiers(const std::shared_ptr<PSSpecifierArray>& specifiers) {
  specifiers_ = specifiers;
  regroup();
  if (table_) table_->reloadData();
}

std::shared_ptr<PSSpecifierArray> PSListController::loadSpecifiersFromPlistName(const std::string& name,
                                                                               const id& target) {
  auto loaded = std::make_shared<PSSpecifierArray>();
  listName_ = name;
  auto bundle = this->bundle();
  std::filesystem::path listPath(name);
  auto path = bundle ? bundle->pathForResource(listPath.filename().string(), "plist", listPath.parent_path().string())
                     : std::nullopt;
  if (!path) {
    std::string where = bundle && !bundle->bundlePath().empty() ? bundle->bundlePath() : "the main bundle";
    std::fprintf(stderr, "Preferences: %s has no specifier list %s.plist; the page %s has no rows\n", where.c_str(),
                 name.c_str(), className().c_str());
    return loaded;
  }
  auto list = preferences::loadSpecifierList(*path);
  std::string table = preferences::stringsTableForList(name);
  preferences::localizeSpecifiers(list.specifiers, *bundle, table);
  preferences::loadIcons(list.specifiers, *bundle);
  for (auto& specifier : list.specifiers) specifier->setTarget(target);
  // The host names the page when it opens it; the list's title is for pages it
  // has not named.
  if (list.title && title().empty()) setTitle(preferences::localizedText(*bundle, table, *list.title));
  *loaded = std::move(list.specifiers);
  return loaded;
}

void PSListController::reloadSpecifiers() {
  specifiers_.reset();
  sizingCells_.clear();
  regroup();
  if (table_) table_->reloadData();
}

std::shared_ptr<PSSpecifier> PSListController::specifierForID(const std::string& identifier) {
  auto all = specifiers();
  if (!all) return nullptr;
  for (auto& specifier : *all)
    if (specifier && specifier->identifier() == identifier) return specifier;
  return nullptr;
}

std::shared_ptr<PSSpecifier> PSListController::specifierAtIndexPath(const NSIndexPath& indexPath) {
  const Group* group = groupAt(indexPath.section);
  if (!group || indexPath.row < 0 || indexPath.row >= static_cast<long>(group->rows.size())) return nullptr;
  return group->rows[static_cast<std::size_t>(indexPath.row)];
}

std::shared_ptr<NSBundle> PSListController::bundle() const {
  return bundle_ ? bundle_ : NSBundle::bundleForClass(isa());
}

void PSListController::reloadSpecifier(const std::shared_ptr<PSSpecifier>& specifier, bool) {
  if (!table_ || !specifier) return;
  for (const NSIndexPath& indexPath : table_->indexPathsForVisibleRows())
    if (specifierAtIndexPath(indexPath) == specifier)
      if (auto cell = std::dynamic_pointer_cast<PSTableCell>(table_->cellForRowAtIndexPath(indexPath)))
        cell->refreshCellContentsWithSpecifier(specifier);
}

long PSListController::numberOfGroups() {
  regroup();
  return static_cast<long>(groups_.size());
}

void PSListController::regroup() {
  auto all = specifiers();
  std::vector<const PSSpecifier*> rows;
  if (all)
    for (auto& specifier : *all) rows.push_back(specifier.get());
  std::uint64_t capabilities = kavro::platform::Device::current().capabilities().generation();
  if (grouped_ && all == groupedArray_ && rows == groupedRows_ && capabilities == groupedCapabilities_) return;

  std::vector<Group> groups;
  // Rows the device cannot offer are left out, and a group it cannot offer with all
  // its rows.
  bool groupShown = true;
  for (const auto& specifier : all ? *all : PSSpecifierArray{}) {
    if (!specifier) continue;
    bool available = preferences::meetsRequiredCapabilities(*specifier);
    if (specifier->cellType() == PSCellType::group) {
      groupShown = available;
      if (available) groups.push_back({specifier, {}});
      if (available) reportSectionCellClasses(*specifier);
    } else if (groupShown && available) {
      if (groups.empty()) groups.push_back({nullptr, {}});
      groups.back().rows.push_back(specifier);
    }
  }
  groups_ = std::move(groups);
  groupedArray_ = all;
  groupedRows_ = std::move(rows);
  groupedCapabilities_ = capabilities;
  grouped_ = true;
  // Cells measured for rows that are gone are of no more use.
  std::erase_if(sizingCells_, [this](const auto& entry) {
    return std::find(groupedRows_.begin(), groupedRows_.end(), entry.first) == groupedRows_.end();
  });
}

void PSListController::reportSectionCellClasses(const PSSpecifier& group) {
  for (const char* key : {"headerCellClass", "footerCellClass"}) {
    std::string name = group.propertyForKey(key).stringOr("");
    if (name.empty() || !reportedCellClasses_.insert(name).second) continue;
    std::fprintf(stderr, "Preferences: the %s \"%s\" of the group \"%s\" is the bundle's own code; the group's text "
                 "shows as a plain %s\n", key, name.c_str(), group.identifier().c_str(),
                 key[0] == 'h' ? "header" : "footer");
  }
}

const PSListController::Group* PSListController::groupAt(long section) {
  if (!grouped_) regroup();
  if (section < 0 || section >= static_cast<long>(groups_.size())) return nullptr;
  return &groups_[static_cast<std::size_t>(section)];
}

std::string PSListController::footerTextOf(long section) {
  const Group* group = groupAt(section);
  return group && group->specifier ? group->specifier->footerText() : std::string();
}

// ---------------------------------------------------------------------------
// View

void PSListController::loadView() {
  auto view = alloc<UIView>()->initWithFrame(defaultViewFrame());
  table_ = alloc<UITableView>()->initWithFrame(view->bounds(), UITableViewStyleInsetGrouped);
  table_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  auto page = self<PSListController>();
  table_->setDataSource(page);
  table_->setDelegate(page);
  view->addSubview(table_);
  setView(view);
}

// ---------------------------------------------------------------------------
// Stored values

PlistValue PSListController::readPreferenceValue(const std::shared_ptr<PSSpecifier>& specifier) {
  if (!specifier) return {};
  std::string key = specifier->key();
  std::string domain = specifier->defaultsDomain();
  if (!key.empty() && !domain.empty()) {
    PlistValue stored = NSUserDefaults::standardUserDefaults()->objectForKey(key, domain);
    if (!stored.isNil()) return stored;
  }
  return specifier->defaultValue();
}

void PSListController::setPreferenceValue(const PlistValue& value, const std::shared_ptr<PSSpecifier>& specifier) {
  if (!specifier) return;
  std::string key = specifier->key();
  std::string domain = specifier->defaultsDomain();
  if (key.empty() || domain.empty()) {
    std::fprintf(stderr, "Preferences: the row \"%s\" names no \"key\" and \"defaults\"; its value is not stored\n",
                 specifier->identifier().c_str());
    return;
  }
  // The store reports its own failures; a value that was not stored is not
  // announced as changed.
  if (!NSUserDefaults::standardUserDefaults()->setObject(value, key, domain)) return;
  std::string notification = specifier->postNotification();
  if (!notification.empty()) kavro::platform::Device::current().postDarwinNotification(notification);
}

// ---------------------------------------------------------------------------
// Sections

long PSListController::numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) {
  // Every reload of the table starts here: the moment to take up a changed array.
  regroup();
  return static_cast<long>(groups_.size());
}

long PSListController::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) {
  const Group* group = groupAt(section);
  return group ? static_cast<long>(group->rows.size()) : 0;
}

std::optional<std::string> PSListController::titleForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                                      long section) {
  const Group* group = groupAt(section);
  if (!group || !group->specifier) return std::nullopt;
  PlistValue label = group->specifier->propertyForKey("label");
  return label.isString() ? std::optional<std::string>(*label.asString()) : std::nullopt;
}

std::optional<std::string> PSListController::titleForFooterInSection(const std::shared_ptr<UITableView>&,
                                                                      long section) {
  std::string text = footerTextOf(section);
  return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

std::optional<CGFloat> PSListController::heightForHeaderInSection(const std::shared_ptr<UITableView>&, long) {
  return std::nullopt;
}

std::shared_ptr<UIView> PSListController::viewForHeaderInSection(const std::shared_ptr<UITableView>&, long) {
  return nullptr;
}

std::optional<CGFloat> PSListController::heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                                  long section) {
  std::string text = footerTextOf(section);
  if (text.empty()) return kDefaultFooterHeight;
  return PSFooterView::heightForText(text, sectionWidth(tableView));
}

std::shared_ptr<UIView> PSListController::viewForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                                 long section) {
  std::string text = footerTextOf(section);
  if (text.empty()) return nullptr;
  const Group* group = groupAt(section);
  NSTextAlignment alignment = PSFooterView::alignmentFromValue(group->specifier->propertyForKey("footerAlignment"));
  auto footer = alloc<PSFooterView>()->initWithText(text, sectionWidth(tableView), alignment);
  // The table keeps a footer's own x: line it up with the section's rows.
  CGFloat inset = tableView && tableView->style() == UITableViewStyleInsetGrouped ? UITableView::kInsetGroupedMargin : 0;
  CGRect frame = footer->frame();
  footer->setFrame(CGRectMake(inset, frame.origin.y, frame.size.width, frame.size.height));
  return footer;
}

CGFloat PSListController::sectionWidth(const std::shared_ptr<UITableView>& tableView) {
  CGFloat width = tableView ? tableView->bounds().size.width : 0;
  // Before the table has been laid out it is as wide as the screen it will fill.
  if (width <= 0) width = UIScreen::mainScreen()->bounds().size.width;
  if (tableView && tableView->style() == UITableViewStyleInsetGrouped) width -= 2 * UITableView::kInsetGroupedMargin;
  return std::max<CGFloat>(width, 1);
}

// ---------------------------------------------------------------------------
// Cells

std::shared_ptr<UITableViewCell> PSListController::cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                         const NSIndexPath& indexPath) {
  auto specifier = specifierAtIndexPath(indexPath);
  if (!specifier) return alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, "");
  const Class* cls = preferences::cellClassForSpecifier(*specifier, reportedCellClasses_);
  std::string reuseIdentifier = preferences::reuseIdentifierFor(cls, *specifier);

  // Cells set parts of their content from their row once, when they are made, so
  // a cell serves only the row it was made for: one made for another row is let go.
  std::shared_ptr<PSTableCell> cell;
  if (tableView) cell = std::dynamic_pointer_cast<PSTableCell>(tableView->dequeueReusableCellWithIdentifier(reuseIdentifier));
  if (cell && cell->specifier() != specifier) cell = nullptr;
  if (!cell) {
    auto measured = sizingCells_.find(specifier.get());
    if (measured != sizingCells_.end() && measured->second->reuseIdentifier() == reuseIdentifier)
      cell = measured->second;
    if (measured != sizingCells_.end()) sizingCells_.erase(measured);
  }
  if (!cell) cell = preferences::makeCell(cls, reuseIdentifier, specifier);
  cell->refreshCellContentsWithSpecifier(specifier);
  return cell;
}

std::shared_ptr<PSTableCell> PSListController::cellForMeasuring(const std::shared_ptr<UITableView>& tableView,
                                                                const NSIndexPath& indexPath,
                                                                const std::shared_ptr<PSSpecifier>& specifier) {
  if (tableView) {
    auto shown = std::dynamic_pointer_cast<PSTableCell>(tableView->cellForRowAtIndexPath(indexPath));
    if (shown && shown->specifier() == specifier) return shown;
  }
  auto& measured = sizingCells_[specifier.get()];
  if (!measured || measured->specifier() != specifier) {
    const Class* cls = preferences::cellClassForSpecifier(*specifier, reportedCellClasses_);
    measured = preferences::makeCell(cls, preferences::reuseIdentifierFor(cls, *specifier), specifier);
  }
  return measured;
}

std::optional<CGFloat> PSListController::heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                 const NSIndexPath& indexPath) {
  auto specifier = specifierAtIndexPath(indexPath);
  if (!specifier) return std::nullopt;
  if (auto height = specifier->height()) return *height;
  auto cell = cellForMeasuring(tableView, indexPath, specifier);
  return std::max(PSTableCell::kMinimumHeight, cell->sizeThatFits({sectionWidth(tableView), 0}).height);
}

// ---------------------------------------------------------------------------
// Taps

void PSListController::didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                               const NSIndexPath& indexPath) {
  if (tableView) tableView->deselectRowAtIndexPath(indexPath, true);
  auto specifier = specifierAtIndexPath(indexPath);
  if (!specifier || !specifier->isEnabled() || !PSTableCell::isSelectableRow(*specifier)) return;
  PSCellType type = specifier->cellType();
  if (type == PSCellType::editText || type == PSCellType::secureEditText) {
    auto cell = tableView ? std::dynamic_pointer_cast<PSEditableTableCell>(tableView->cellForRowAtIndexPath(indexPath))
                          : nullptr;
    if (cell) cell->beginEditing();
    return;
  }
  if (!specifier->buttonAction().isNull()) preferences::performButtonAction(specifier);
  bool opened = (type == PSCellType::link || type == PSCellType::linkList) && showDetailController(specifier);
  std::string url = specifier->propertyForKey("url").stringOr("");
  if (!opened && !url.empty()) preferences::recordOpenURL(*specifier, url);
}

bool PSListController::showDetailController(const std::shared_ptr<PSSpecifier>& specifier) {
  auto navigation = navigationController();
  if (!navigation) {
    std::fprintf(stderr, "Preferences: %s is in no navigation stack; the row \"%s\" cannot open its page\n",
                 className().c_str(), specifier->identifier().c_str());
    return false;
  }
  auto controller = preferences::makeDetailPage(*this, specifier);
  if (!controller) return false;
  if (auto page = std::dynamic_pointer_cast<PSViewController>(controller)) {
    auto opener = self<PSListController>();
    page->setParentController(opener);
    page->setRootController(rootController() ? rootController() : opener);
    page->setSpecifier(specifier);
  }
  navigation->pushViewController(controller, true);
  return true;
}
