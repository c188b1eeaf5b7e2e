#pragma once
// The first page of Settings: one row for each installed entry, read anew each time
// the page appears; a tap opens the entry's page.

#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "sim/settings/SettingsEntry.h"

#include <memory>
#include <vector>

namespace kavro::sim {

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
  // Reads the entries again and shows them (an entry's bundle was installed again).
  void reloadEntries();

 private:
  const SettingsEntry* entryAt(const NSIndexPath& indexPath) const;

  std::shared_ptr<UITableView> table_;
  std::vector<SettingsEntry> entries_;
};

}  // namespace kavro::sim
