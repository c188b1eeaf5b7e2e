#pragma once
// The page of a link-list row's choices: titled with the row's label, one row per
// title of the row's choices ("validTitles"/"validValues", see PreferenceValues.h),
// a check mark on the choice of the row's value, and the row's "staticTextMessage"
// under them. A tap stores that choice's value for the row (through the page that
// owns the row, its target), moves the check mark and brings the row on that page
// up to date; the choice already marked stores nothing. Choices that come from the
// bundle's code ("titlesDataSource", "valuesDataSource") cannot be listed: the page
// is empty, and says why.

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PreferenceValues.h"

class PSListItemsController : public PSListController {
  KAVRO_OBJC_CLASS(PSListItemsController)
 public:
  // A group, then a PSListItemCell row per choice with its value as "value".
  std::shared_ptr<PSSpecifierArray> specifiers() override;
  // The row the page lists the choices of; the page reloads its choices.
  void setSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
  // The index of the choice the row's value names (else its default's), or -1.
  long selectedIndex();

  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) override;
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;

 private:
  // The page that owns the row's value: its target, else this page.
  std::shared_ptr<PSListController> owner();
  kavro::platform::preferences::Choices choices_;
};
