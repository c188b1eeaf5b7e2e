#include "sim/settings/SettingsRootController.h"

#include "platform/objc/Class.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"

using kavro::sim::SettingsRootController;
KAVRO_OBJC_CLASS_IMPLEMENTATION(SettingsRootController, UIViewController, )

namespace kavro::sim {

namespace {
constexpr const char* kSettingsTitle = "Settings";
constexpr const char* kCellIdentifier = "Entry";
}  // namespace

std::shared_ptr<UIViewController> SettingsRootController::init() {
  UIViewController::init();
  setTitle(kSettingsTitle);
  return self<UIViewController>();
}

void SettingsRootController::loadView() {
  UIViewController::loadView();
  table_ = alloc<UITableView>()->initWithFrame(view()->bounds(), UITableViewStyleInsetGrouped);
  table_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  auto self = this->self<SettingsRootController>();
  table_->setDataSource(self);
  table_->setDelegate(self);
  view()->addSubview(table_);
}

void SettingsRootController::viewWillAppear(bool animated) {
  UIViewController::viewWillAppear(animated);
  entries_ = installedSettingsEntries();
  if (auto selected = table_->indexPathForSelectedRow()) table_->deselectRowAtIndexPath(*selected, animated);
  table_->reloadData();
}

void SettingsRootController::reloadEntries() {
  entries_ = installedSettingsEntries();
  if (table_) table_->reloadData();
}

const SettingsEntry* SettingsRootController::entryAt(const NSIndexPath& indexPath) const {
  if (indexPath.row < 0 || indexPath.row >= static_cast<long>(entries_.size())) return nullptr;
  return &entries_[static_cast<std::size_t>(indexPath.row)];
}

long SettingsRootController::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return static_cast<long>(entries_.size());
}

std::shared_ptr<UITableViewCell> SettingsRootController::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleDefault, kCellIdentifier);
  const SettingsEntry* entry = entryAt(indexPath);
  if (!entry) return cell;
  cell->textLabel()->setText(entry->label);
  // An entry without an icon shows none.
  cell->imageView()->setImage(entry->iconFile.empty() ? nullptr : UIImage::imageWithContentsOfFile(entry->iconPath()));
  cell->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
  return cell;
}

void SettingsRootController::didSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                     const NSIndexPath& indexPath) {
  const SettingsEntry* entry = entryAt(indexPath);
  if (!entry) return;
  auto page = makeEntryPage(*entry);
  if (page && navigationController()) navigationController()->pushViewController(page, true);
}

}  // namespace kavro::sim
