#pragma once
// The application picker: a page shown in a navigation controller that edits the
// identifier list stored under its key. "Current Applications" lists the stored
// identifiers in their order; "All Applications" lists the installed applications
// (or the search result) with a check mark on those the list holds. Taps add and
// remove, a swipe removes one row, edit mode reorders, the reset button clears the
// list. It keeps no copy of the list: every table question reads the store.

#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UISearchController.h"
#include "platform/uikit/UITableView.h"
#include "selector/ApplicationCatalogue.h"

#include <memory>
#include <string>
#include <vector>

class KavroApplicationSelector : public PSViewController,
                                 public UITableViewDelegate,
                                 public UITableViewDataSource,
                                 public UISearchBarDelegate,
                                 public UISearchControllerDelegate {
  KAVRO_OBJC_CLASS(KavroApplicationSelector)
 public:
  // The Darwin notification posted when the picker has closed in the home screen.
  static constexpr const char* kShowDockNotification = "com.qelm.kavroprefs/show.dock";
  static constexpr const char* kHomeScreenIdentifier = "com.apple.springboard";

  std::shared_ptr<KavroApplicationSelector> initWithIdentifier(const std::string& identifier);

  // View life.
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // Table.
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>& tableView) override;
  long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) override;
  std::optional<CGFloat> heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                 const NSIndexPath& indexPath) override;
  std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::optional<CGFloat> heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                  long section) override;
  void willDisplayCell(const std::shared_ptr<UITableView>& tableView, const std::shared_ptr<UITableViewCell>& cell,
                       const NSIndexPath& indexPath) override;
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  std::shared_ptr<UISwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  bool canMoveRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  void moveRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& source,
                          const NSIndexPath& destination) override;
  std::optional<NSIndexPath> targetIndexPathForMoveFromRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                                      const NSIndexPath& source,
                                                                      const NSIndexPath& proposed) override;
  std::optional<UITableViewCellEditingStyle> editingStyleForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  std::optional<bool> shouldIndentWhileEditingRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                             const NSIndexPath& indexPath) override;

  // Search.
  void searchBarTextDidBeginEditing(const std::shared_ptr<UISearchBar>& searchBar) override;
  void textDidChange(const std::shared_ptr<UISearchBar>& searchBar, const std::string& text) override;
  void searchBarCancelButtonClicked(const std::shared_ptr<UISearchBar>& searchBar) override;
  void searchBarTextDidEndEditing(const std::shared_ptr<UISearchBar>& searchBar) override {}
  void search(const std::string& query);
  void cancelSearch();

  // Title buttons and commands.
  void updateTitleButtons();
  void toggleEditing(const std::shared_ptr<NSObject>& sender);
  void dismiss(const std::shared_ptr<NSObject>& sender);
  void reset(const std::shared_ptr<NSObject>& sender);

  // Properties.
  bool searching() const { return searching_; }
  void setSearching(bool searching) { searching_ = searching; }
  std::shared_ptr<UITableView> tableView() const { return tableView_; }
  std::shared_ptr<UIView> headerView() const { return headerView_; }
  std::shared_ptr<UISearchController> searchController() const { return searchController_; }
  const kavro::selector::ApplicationList& applications() const { return applications_; }
  const std::string& identifier() const { return identifier_; }
  const kavro::selector::ApplicationList& filteredApplications() const { return filteredApplications_; }

 private:
  // The entry of a row of "All Applications"; nullptr for a row the list lacks.
  std::shared_ptr<LSApplicationProxy> allApplicationsEntry(long row) const;
  static bool inHomeScreen();

  bool searching_ = false;
  std::shared_ptr<UITableView> tableView_;
  std::shared_ptr<UIView> headerView_;
  std::shared_ptr<UISearchController> searchController_;
  kavro::selector::ApplicationList applications_;
  std::vector<NSStringSearchText> searchKeys_;
  std::string identifier_;
  kavro::selector::ApplicationList filteredApplications_;
  std::shared_ptr<UIColor> cellBackgroundColor_;
};
