#include "selector/KavroApplicationSelector.h"

#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/foundation/NSBundle.h"
#include "platform/objc/Class.h"
#include "platform/mobilecoreservices/LSApplicationProxy.h"
#include "platform/mobilecoreservices/LSApplicationWorkspace.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UINavigationBarAppearance.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/_UIBackdropView.h"
#include "store/KavroIdentifierList.h"
#include "style/Style.h"

using kavro::store::KavroIdentifierList;

KAVRO_OBJC_CLASS_IMPLEMENTATION(KavroApplicationSelector, PSViewController,
                                .method("toggleEditing:", &KavroApplicationSelector::toggleEditing)
                                .method("dismiss:", &KavroApplicationSelector::dismiss)
                                .method("reset:", &KavroApplicationSelector::reset)
                                .method("cancelSearch", &KavroApplicationSelector::cancelSearch))

namespace {

constexpr long kCurrentSection = 0;
constexpr long kAllSection = 1;
constexpr const char* kCellIdentifier = "Cell";

}  // namespace

std::shared_ptr<KavroApplicationSelector> KavroApplicationSelector::initWithIdentifier(const std::string& identifier) {
  if (!PSViewController::init()) return nullptr;
  auto self = this->self<KavroApplicationSelector>();
  searching_ = false;
  filteredApplications_.clear();
  setTitle("Select Applications");
  applications_.clear();
  identifier_ = identifier;

  // The page is in no navigation controller yet: no separate results page.
  searchController_ = alloc<UISearchController>()->initWithSearchResultsController(navigationController());
  searchController_->setDelegate(std::static_pointer_cast<UISearchControllerDelegate>(self));
  searchController_->searchBar()->setDelegate(std::static_pointer_cast<UISearchBarDelegate>(self));
  searchController_->setHidesNavigationBarDuringPresentation(true);
  navigationItem()->setSearchController(searchController_);
  return self;
}

// ---------------------------------------------------------------------------
// Catalogue and view

void KavroApplicationSelector::loadView() {
  PSViewController::loadView();
  applications_ = kavro::selector::buildCatalogue(LSApplicationWorkspace::defaultWorkspace()->allInstalledApplications());
  searchKeys_ = kavro::selector::searchKeys(applications_);
}

void KavroApplicationSelector::viewDidLoad() {
  PSViewController::viewDidLoad();
  auto self = this->self<KavroApplicationSelector>();
  tableView_ = alloc<UITableView>()->initWithFrame(view()->bounds(), UITableViewStyleInsetGrouped);
  tableView_->setDelegate(std::static_pointer_cast<UITableViewDelegate>(self));
  tableView_->setDataSource(std::static_pointer_cast<UITableViewDataSource>(self));
  tableView_->setSeparatorColor(nullptr);
  view()->addSubview(tableView_);
  // One colour object for every cell: it follows the appearance by itself.
  cellBackgroundColor_ = UIColor::tableCellGroupedBackgroundColor()->colorWithAlphaComponent(0.5);

  headerView_ = alloc<UIView>()->initWithFrame(CGRectMake(0, 0, 100, 50));

  auto backdrop = alloc<_UIBackdropView>()->initWithFrame(view()->frame(), true,
                                                          _UIBackdropViewSettings::settingsForStyle(2));
  backdrop->setBlurRadiusSetOnce(false);
  backdrop->set_blurRadius(30);
  backdrop->set_blurQuality("high");
  backdrop->set_saturationDeltaFactor(0);
  view()->setBackgroundColor(UIColor::clearColor());
  view()->insertSubview(backdrop, 0);
  tableView_->setBackgroundColor(UIColor::clearColor());

  navigationItem()->setLeftBarButtonItems({kavro::style::symbolBarButtonItem("arrow.left.circle.fill", self, "dismiss:")});
  updateTitleButtons();

  auto appearance = alloc<UINavigationBarAppearance>()->init();
  appearance->setTitleTextAttributes({{NSForegroundColorAttributeName, UIColor::whiteColor()}});
  appearance->setLargeTitleTextAttributes({{NSForegroundColorAttributeName, UIColor::whiteColor()}});
  navigationItem()->setStandardAppearance(appearance);
  navigationItem()->setScrollEdgeAppearance(appearance);
  navigationItem()->setCompactAppearance(appearance);
}

void KavroApplicationSelector::updateTitleButtons() {
  if (searching_) {
    auto tint = view()->tintColor();
    auto done = alloc<UIButton>()->init();
    done->setFrame(CGRectMake(0, 0, 60, 30));
    done->setTitle("Done", UIControlStateNormal);
    done->setTitleColor(tint, UIControlStateNormal);
    done->addTarget(self<KavroApplicationSelector>(), "cancelSearch", UIControlEventTouchUpInside);
    auto item = alloc<UIBarButtonItem>()->initWithCustomView(done);
    item->setTintColor(tint);
    navigationItem()->setRightBarButtonItems({item});
    return;
  }
  auto self = this->self<KavroApplicationSelector>();
  navigationItem()->setRightBarButtonItems(
      {kavro::style::symbolBarButtonItem("arrow.triangle.2.circlepath.circle.fill", self, "reset:"),
       kavro::style::symbolBarButtonItem("arrow.up.and.down.circle.fill", self, "toggleEditing:")});
}

void KavroApplicationSelector::toggleEditing(const std::shared_ptr<NSObject>&) {
  tableView_->setEditing(!tableView_->isEditing());
}

void KavroApplicationSelector::dismiss(const std::shared_ptr<NSObject>&) { dismissViewControllerAnimated(true, nullptr); }

// ---------------------------------------------------------------------------
// Table

std::shared_ptr<LSApplicationProxy> KavroApplicationSelector::allApplicationsEntry(long row) const {
  const auto& list = searching_ ? filteredApplications_ : applications_;
  if (row < 0 || row >= static_cast<long>(list.size())) return nullptr;
  return list[static_cast<std::size_t>(row)];
}

long KavroApplicationSelector::numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) { return 2; }

long KavroApplicationSelector::numberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) {
  if (section == kCurrentSection) return KavroIdentifierList::read(identifier_).count();
  return static_cast<long>(searching_ ? filteredApplications_.size() : applications_.size());
}

std::shared_ptr<UITableViewCell> KavroApplicationSelector::cellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) cell = alloc<UITableViewCell>()->initWithStyle(UITableViewCellStyleSubtitle, kCellIdentifier);
  cell->detailTextLabel()->setTextColor(UIColor::secondaryLabelColor());
  cell->setBackgroundColor(cellBackgroundColor_);

  std::shared_ptr<LSApplicationProxy> application;
  if (indexPath.section == kCurrentSection) {
    // The list may have been shortened by another process since the rows were counted.
    if (auto identifier = KavroIdentifierList::read(identifier_).identifierAt(indexPath.row))
      application = LSApplicationProxy::applicationProxyForIdentifier(*identifier);
  } else {
    application = allApplicationsEntry(indexPath.row);
  }
  auto configuration = cell->defaultContentConfiguration();
  if (application) {
    configuration->setImage(UIImage::_applicationIconImageForBundleIdentifier(
        application->applicationIdentifier(), 1, UIScreen::mainScreen()->scale()));
    configuration->setText(application->localizedName());
    configuration->setSecondaryText(application->applicationIdentifier());
  }
  configuration->secondaryTextProperties().color = UIColor::secondaryLabelColor();
  cell->setContentConfiguration(configuration);
  tableView->setTableHeaderView(headerView_);
  return cell;
}

std::optional<CGFloat> KavroApplicationSelector::heightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                                         const NSIndexPath&) {
  return 60.0;
}

std::shared_ptr<UIView> KavroApplicationSelector::viewForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                                         long section) {
  return kavro::style::sectionHeaderLabel(section == kCurrentSection ? "Current Applications" : "All Applications");
}

std::optional<CGFloat> KavroApplicationSelector::heightForHeaderInSection(const std::shared_ptr<UITableView>&, long) {
  return 40.0;
}

void KavroApplicationSelector::willDisplayCell(const std::shared_ptr<UITableView>&,
                                               const std::shared_ptr<UITableViewCell>& cell,
                                               const NSIndexPath& indexPath) {
  if (indexPath.section == kCurrentSection) {
    cell->setAccessoryType(UITableViewCellAccessoryNone);
    return;
  }
  auto application = allApplicationsEntry(indexPath.row);
  bool listed = application && KavroIdentifierList::read(identifier_).contains(application->applicationIdentifier());
  cell->setAccessoryType(listed ? UITableViewCellAccessoryCheckmark : UITableViewCellAccessoryNone);
}

void KavroApplicationSelector::didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                       const NSIndexPath& indexPath) {
  tableView->deselectRowAtIndexPath(indexPath, true);
  auto cell = tableView->cellForRowAtIndexPath(indexPath);
  if (indexPath.section != kCurrentSection) {
    auto application = allApplicationsEntry(indexPath.row);
    if (application && cell) {
      std::string identifier = application->applicationIdentifier();
      auto list = KavroIdentifierList::read(identifier_);
      // What the cell shows decides, not a fresh look-up in the list.
      if (cell->accessoryType() == UITableViewCellAccessoryCheckmark) {
        cell->setAccessoryType(UITableViewCellAccessoryNone);
        list.removeAll(identifier);
      } else {
        cell->setAccessoryType(UITableViewCellAccessoryCheckmark);
        list.append(identifier);
      }
      list.write();
    }
    if (searching_) {
      searching_ = false;
      filteredApplications_.clear();
    }
  }
  tableView->reloadData();
}

std::shared_ptr<UISwipeActionsConfiguration> KavroApplicationSelector::trailingSwipeActionsConfigurationForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
  if (indexPath.section != kCurrentSection) return nullptr;
  auto self = this->self<KavroApplicationSelector>();
  auto action = UIContextualAction::contextualActionWithStyle(
      UIContextualActionStyleNormal, "", [self, indexPath](auto&, auto&, std::function<void(bool)> completion) {
        auto list = KavroIdentifierList::read(self->identifier_);
        bool removed = list.removeAt(indexPath.row);
        if (removed) list.write();
        self->tableView_->reloadData();
        // The platform waits for this to close the swipe.
        if (completion) completion(removed);
      });
  action->setBackgroundColor(UIColor::systemRedColor());
  action->setImage(UIImage::systemImageNamed("xmark.circle.fill"));
  action->setTitle("Remove");
  auto configuration = UISwipeActionsConfiguration::configurationWithActions({action});
  configuration->setPerformsFirstActionWithFullSwipe(true);
  return configuration;
}

bool KavroApplicationSelector::canMoveRowAtIndexPath(const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
  return indexPath.section == kCurrentSection;
}

std::optional<NSIndexPath> KavroApplicationSelector::targetIndexPathForMoveFromRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& source, const NSIndexPath& proposed) {
  // A row of "Current Applications" stays in it: dropped lower down, it lands last.
  if (proposed.section == kCurrentSection) return proposed;
  long last = std::max(0L, tableView->numberOfRowsInSection(kCurrentSection) - 1);
  return NSIndexPath{kCurrentSection, proposed.section < kCurrentSection ? 0 : last};
}

void KavroApplicationSelector::moveRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                  const NSIndexPath& source, const NSIndexPath& destination) {
  if (source.section != kCurrentSection) return;
  auto list = KavroIdentifierList::read(identifier_);
  // A destination outside "Current Applications" means its end; never past it.
  long to = destination.section == kCurrentSection ? destination.row : list.count() - 1;
  if (list.move(source.row, std::min(to, list.count() - 1))) list.write();
  tableView->reloadData();
}

std::optional<UITableViewCellEditingStyle> KavroApplicationSelector::editingStyleForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath&) {
  return UITableViewCellEditingStyleNone;
}

std::optional<bool> KavroApplicationSelector::shouldIndentWhileEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                                                      const NSIndexPath&) {
  return false;
}

void KavroApplicationSelector::reset(const std::shared_ptr<NSObject>&) {
  KavroIdentifierList::remove(identifier_);
  tableView_->reloadData();
}

// ---------------------------------------------------------------------------
// Search

void KavroApplicationSelector::searchBarTextDidBeginEditing(const std::shared_ptr<UISearchBar>& searchBar) {
  search(searchBar->text());
}

void KavroApplicationSelector::textDidChange(const std::shared_ptr<UISearchBar>&, const std::string& text) {
  search(text);
}

void KavroApplicationSelector::searchBarCancelButtonClicked(const std::shared_ptr<UISearchBar>& searchBar) {
  if (searchBar->text().empty()) cancelSearch();
}

void KavroApplicationSelector::search(const std::string& query) {
  filteredApplications_ = kavro::selector::searchCatalogue(applications_, searchKeys_, query);
  searching_ = true;
  tableView_->reloadData();
  updateTitleButtons();
}

void KavroApplicationSelector::cancelSearch() {
  searching_ = false;
  tableView_->reloadData();
  filteredApplications_.clear();
  updateTitleButtons();
}

// ---------------------------------------------------------------------------
// Lifecycle in the two hosts

bool KavroApplicationSelector::inHomeScreen() {
  return NSBundle::mainBundle()->bundleIdentifier() == kHomeScreenIdentifier;
}

void KavroApplicationSelector::viewWillAppear(bool animated) {
  PSViewController::viewWillAppear(animated);
  navigationItem()->setHidesSearchBarWhenScrolling(true);
  tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissModeOnDrag);
  kavro::style::tintKeyWindowWithAccent();
}

void KavroApplicationSelector::viewWillDisappear(bool animated) {
  // The home screen has no tint of its own; the settings page under the picker
  // keeps the accent.
  if (inHomeScreen())
    kavro::style::clearKeyWindowTint();
  else
    kavro::style::tintKeyWindowWithAccent();
  PSViewController::viewWillDisappear(animated);
}

void KavroApplicationSelector::viewDidDisappear(bool animated) {
  PSViewController::viewDidDisappear(animated);
  if (inHomeScreen())
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), kShowDockNotification, nullptr,
                                         nullptr, true);
}
