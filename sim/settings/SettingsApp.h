#pragma once
// The Settings application of the simulated device, as far as the bundle needs it:
// a navigation stack whose first page lists the entries of the installed preference
// bundles, and the opening of "prefs:root=NAME" URLs, which shows that bundle's
// page anew.

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace kavro::sim {

// One entry of /var/jb/Library/PreferenceLoader/Preferences/*.plist.
struct SettingsEntry {
  std::string label;       // the row's title and the page's title
  std::string bundleName;  // "kavroprefs": /var/jb/Library/PreferenceBundles/NAME.bundle
  std::string iconFile;
};

// Reads the installed entries, sorted by label; unreadable entries are skipped with
// a message on standard error.
std::vector<SettingsEntry> installedSettingsEntries();

// The first page of Settings: one row per installed entry; a tap opens its page.
class SettingsRootController : public UIViewController,
                               public UITableViewDataSource,
                               public UITableViewDelegate {
  KAVRO_OBJC_CLASS(SettingsRootController)
 public:
  std::shared_ptr<UIViewController> init() override;
  void loadView() override;
  void viewWillAppear(bool animated) override;

  long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) override;
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                               const NSIndexPath& indexPath) override;

  const std::vector<SettingsEntry>& entries() const { return entries_; }

 private:
  std::shared_ptr<UITableView> table_;
  std::vector<SettingsEntry> entries_;
};

// The Settings application's window and navigation, inside the settings process.
class SettingsApp {
 public:
  SettingsApp();
  const std::shared_ptr<UIWindow>& window() const { return window_; }
  const std::shared_ptr<UINavigationController>& navigationController() const { return navigation_; }

  // Opens a "prefs:root=NAME" URL: whatever is presented goes, the stack returns to
  // the first page and a new page of the entry NAME is pushed. Returns false, with
  // a message, when no entry or bundle matches.
  bool openURL(const std::string& url);
  // Makes the page of an entry: loads its bundle and creates its principal class.
  static std::shared_ptr<UIViewController> makeEntryPage(const SettingsEntry& entry);

 private:
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UINavigationController> navigation_;
};

}  // namespace kavro::sim
