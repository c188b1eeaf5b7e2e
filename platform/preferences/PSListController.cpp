#include "platform/preferences/PSListController.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/objc/Class.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/PSFooterView.h"
#include "platform/preferences/PSSpecifierList.h"
#include "platform/preferences/PSSwitchTableCell.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"

#include <algorithm>
#include <cstdio>

KAVRO_OBJC_CLASS_IMPLEMENTATION(PSListController, PSViewController, )

// ---------------------------------------------------------------------------
// Specifiers

std::shared_ptr<PSSpecifierArray> PSListController::specifiers() { return specifiers_; }

void PSListController::setSpecifiers(const std::shared_ptr<PSSpecifierArray>& specifiers) {
  specifiers_ = specifiers;
  regroup();
  if (table_) table_->reloadData();
}

std::shared_ptr<PSSpecifierArray> PSListController::loadSpecifiersFromPlistName(const std::string& name,
                                                                               const id& target) {
  auto loaded = std::make_shared<PSSpecifierArray>();
  auto bundle = this->bundle();
  auto path = bundle ? bundle->pathForResource(name, "plist") : std::nullopt;
  if (!path) {
    std::string where = bundle && !bundle->bundlePath().empty() ? bundle->bundlePath() : "the main bundle";
    std::fprintf(stderr, "Preferences: %s has no specifier list %s.plist; the page %s has no rows\n", where.c_str(),
                 name.c_str(), className().c_str());
    return loaded;
  }
  auto list = kavro::platform::preferences::loadSpecifierList(*path);
  for (auto& specifier : list.specifiers) specifier->setTarget(target);
  // The host names the page when it opens it; the list's title is for pages it
  // has not named.
  if (list.title && title().empty()) setTitle(*list.title);
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

std::shared_ptr<NSBundle> PSListController::bundle() const { return NSBundle::bundleForClass(isa()); }

long PSListController::numberOfGroups() {
  regroup();
  return static_cast<long>(groups_.size());
}

void PSListController::regroup() {
  auto all = specifiers();
  std::vector<const PSSpecifier*> rows;
  if (all)
    for (auto& specifier : *all) rows.push_back(specifier.get());
  if (grouped_ && all == groupedArray_ && rows == groupedRows_) return;

  std::vector<Group> groups;
  if (all) {
    for (auto& specifier : *all) {
      if (!specifier) continue;
      if (specifier->cellType() == PSCellType::group) {
        groups.push_back({specifier, {}});
      } else {
        if (groups.empty()) groups.push_back({nullptr, {}});
        groups.back().rows.push_back(specifier);
      }
    }
  }
  groups_ = std::move(groups);
  groupedArray_ = all;
  groupedRows_ = std::move(rows);
  grouped_ = true;
  // Cells measured for rows that are gone are of no more use.
  std::erase_if(sizingCells_, [this](const auto& entry) {
    return std::find(groupedRows_.begin(), groupedRows_.end(), entry.first) == groupedRows_.end();
  });
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
  auto footer = alloc<PSFooterView>()->initWithText(text, sectionWidth(tableView));
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

const Class* PSListController::cellClassFor(const PSSpecifier& specifier) {
  const Class* fallback = specifier.cellType() == PSCellType::switchCell ? PSSwitchTableCell::classObject()
                                                                         : PSTableCell::classObject();
  std::string name = specifier.cellClassName();
  if (name.empty()) return fallback;
  const Class* named = NSClassFromString(name);
  if (named && named->isSubclassOfClass(PSTableCell::classObject())) return named;
  if (reportedCellClasses_.insert(name).second)
    std::fprintf(stderr, "Preferences: the cell class \"%s\" of the row \"%s\" %s; the row uses %s\n", name.c_str(),
                 specifier.identifier().c_str(), named ? "is no PSTableCell" : "does not exist",
                 fallback->name().c_str());
  return fallback;
}

std::string PSListController::reuseIdentifierFor(const Class* cls, const PSSpecifier& specifier) {
  return cls->name() + ":" + PSSpecifier::nameOfCellType(specifier.cellType());
}

std::shared_ptr<PSTableCell> PSListController::makeCell(const Class* cls, const std::string& reuseIdentifier,
                                                        const std::shared_ptr<PSSpecifier>& specifier) {
  auto cell = std::dynamic_pointer_cast<PSTableCell>(cls->alloc());
  if (!cell) cell = alloc<PSTableCell>();
  auto made = cell->initWithStyle(PSTableCell::cellStyleForType(specifier->cellType()), reuseIdentifier, specifier);
  if (made) return made;
  // A cell class that refuses to initialise still leaves the row a plain cell.
  return alloc<PSTableCell>()->initWithStyle(UITableViewCellStyleDefault, reuseIdentifier, specifier);
}

std::shared_ptr<UITableViewCell> PSListController::cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                         const NSIndexPath& indexPath) {
  auto specifier = specifierAtIndexPath(indexPath);
  if (!specifier) return alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, "");
  const Class* cls = cellClassFor(*specifier);
  std::string reuseIdentifier = reuseIdentifierFor(cls, *specifier);

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
  if (!cell) cell = makeCell(cls, reuseIdentifier, specifier);
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
    const Class* cls = cellClassFor(*specifier);
    measured = makeCell(cls, reuseIdentifierFor(cls, *specifier), specifier);
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
  if (!specifier || !specifier->isEnabled()) return;
  if (!specifier->buttonAction().isNull()) {
    performButtonAction(specifier);
  } else if (specifier->cellType() == PSCellType::link || specifier->cellType() == PSCellType::linkList) {
    if (!specifier->detailControllerClassName().empty()) showDetailController(specifier);
  }
}

void PSListController::performButtonAction(const std::shared_ptr<PSSpecifier>& specifier) {
  SEL action = specifier->buttonAction();
  auto target = specifier->target();
  if (!target) {
    std::fprintf(stderr, "Preferences: the row \"%s\" has no target for its action \"%s\"; the tap does nothing\n",
                 specifier->identifier().c_str(), action.name().c_str());
    return;
  }
  // A method without arguments is sent the selector all the same and ignores the
  // specifier.
  if (!target->performSelector(action, specifier))
    std::fprintf(stderr, "Preferences: %s has no method \"%s\" for the row \"%s\"; the tap does nothing\n",
                 target->className().c_str(), action.name().c_str(), specifier->identifier().c_str());
}

void PSListController::showDetailController(const std::shared_ptr<PSSpecifier>& specifier) {
  std::string name = specifier->detailControllerClassName();
  const Class* cls = NSClassFromString(name);
  auto controller = cls ? std::dynamic_pointer_cast<UIViewController>(cls->alloc()) : nullptr;
  if (!controller) {
    std::fprintf(stderr, "Preferences: the detail page \"%s\" of the row \"%s\" %s; nothing opens\n", name.c_str(),
                 specifier->identifier().c_str(), cls ? "is no view controller" : "does not exist");
    return;
  }
  auto navigation = navigationController();
  if (!navigation) {
    std::fprintf(stderr, "Preferences: %s is in no navigation stack; the row \"%s\" cannot open %s\n",
                 className().c_str(), specifier->identifier().c_str(), name.c_str());
    return;
  }
  controller->init();
  if (auto page = std::dynamic_pointer_cast<PSViewController>(controller)) {
    auto opener = self<PSListController>();
    page->setParentController(opener);
    page->setRootController(rootController() ? rootController() : opener);
    page->setSpecifier(specifier);
  }
  navigation->pushViewController(controller, true);
}
