#pragma once
// A preference page that shows its specifiers as a grouped table: every group
// specifier starts a section (its label the section title, its "footerText" the
// footer, aligned by "footerAlignment"), every other specifier is a row with the
// cell its type or "cellClass" names; rows and groups whose "requiredCapabilities"
// the device lacks are not shown. Button rows send their action to their target,
// link rows open their detail page (ChildPages.h), rows with a "url" ask to open it,
// and rows with controls read and write their value in their preference domain.
// Lists loaded by name take their localized texts and icons from the page's bundle.

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/PlistValue.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UITableView.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class PSTableCell;
namespace kavro::platform::preferences {
struct ListControllerInternals;
}

class PSListController : public PSViewController, public UITableViewDataSource, public UITableViewDelegate {
  KAVRO_OBJC_CLASS(PSListController)
 public:
  // The room under a group that has no footer text.
  static constexpr CGFloat kDefaultFooterHeight = 18;

  // The rows of the page, groups included. The base returns the kept array (nil
  // until something sets it, except on a page the framework opened for a row, which
  // loads its list on first use); a subclass overrides this to load the array into
  // specifiers_ on first use.
  virtual std::shared_ptr<PSSpecifierArray> specifiers();
  // Replaces the kept array and reloads the table.
  void setSpecifiers(const std::shared_ptr<PSSpecifierArray>& specifiers);
  // The specifiers of the list NAME.plist in the page's bundle (NAME may name a
  // folder of it: "sub/timeDate"), each with `target` as its target, localized and
  // with their icons; an empty array when the bundle has no such list. The list's
  // "title" becomes the page's title when the page has none yet. Keeps the
  // specifiers nowhere; the page remembers the list's name.
  std::shared_ptr<PSSpecifierArray> loadSpecifiersFromPlistName(const std::string& name, const id& target);
  // The name of the list the page loaded last ("Root"); empty before.
  const std::string& specifierListName() const { return listName_; }
  // Brings the cell of a row on screen up to date with the row and its value.
  void reloadSpecifier(const std::shared_ptr<PSSpecifier>& specifier, bool animated);
  // Drops the kept array, asks specifiers() for a new one and reloads the table.
  void reloadSpecifiers();
  // The first specifier whose identifier is `identifier`, or nullptr.
  std::shared_ptr<PSSpecifier> specifierForID(const std::string& identifier);
  // The specifier of a row, or nullptr for a row the page does not have.
  std::shared_ptr<PSSpecifier> specifierAtIndexPath(const NSIndexPath& indexPath);
  // The bundle the page's class came from; for a page the framework opened for a
  // row, the bundle of the page that opened it.
  std::shared_ptr<NSBundle> bundle() const;
  // The number of groups, which is the number of sections: rows before the first
  // group specifier form an untitled group of their own.
  long numberOfGroups();

  // The table filling the page's view, once the view is loaded.
  std::shared_ptr<UITableView> table() const { return table_; }
  void loadView() override;

  // The value of a row bound to "key" in the "defaults" domain: the stored value,
  // else the row's "default".
  virtual PlistValue readPreferenceValue(const std::shared_ptr<PSSpecifier>& specifier);
  // Stores a row's value, then posts the row's "PostNotification", if it names one.
  virtual void setPreferenceValue(const PlistValue& value, const std::shared_ptr<PSSpecifier>& specifier);

  // UITableViewDataSource
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>& tableView) override;
  long numberOfRowsInSection(const std::shared_ptr<UITableView>& tableView, long section) override;
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                         const NSIndexPath& indexPath) override;
  // The group's label; nullopt for a group without one (an empty label is a title).
  std::optional<std::string> titleForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                     long section) override;
  std::optional<std::string> titleForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                     long section) override;

  // UITableViewDelegate
  // The row's "height", else the height its cell needs (at least 44 points).
  std::optional<CGFloat> heightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                 const NSIndexPath& indexPath) override;
  // The table's own header: the title drawn by the table at its height.
  std::optional<CGFloat> heightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                  long section) override;
  std::shared_ptr<UIView> viewForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                                 long section) override;
  // A PSFooterView for a group with footer text, sized to it; nullptr and the
  // default height otherwise.
  std::optional<CGFloat> heightForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                  long section) override;
  std::shared_ptr<UIView> viewForFooterInSection(const std::shared_ptr<UITableView>& tableView,
                                                 long section) override;
  // A tap on an enabled row that takes taps: button rows send their action, link
  // rows open their detail page, text rows begin editing, and a "url" is asked to
  // be opened when no page opened.
  void didSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;

 protected:
  // The kept specifier array; nil until loaded or set.
  std::shared_ptr<PSSpecifierArray> specifiers_;

 private:
  struct Group {
    std::shared_ptr<PSSpecifier> specifier;  // nullptr for rows before the first group
    PSSpecifierArray rows;
  };

  // Brings the sections up to date with specifiers().
  void regroup();
  const Group* groupAt(long section);
  std::string footerTextOf(long section);

  void reportSectionCellClasses(const PSSpecifier& group);

  // Cells.
  std::shared_ptr<PSTableCell> cellForMeasuring(const std::shared_ptr<UITableView>& tableView,
                                                const NSIndexPath& indexPath,
                                                const std::shared_ptr<PSSpecifier>& specifier);
  static CGFloat sectionWidth(const std::shared_ptr<UITableView>& tableView);

  // Taps.
  bool showDetailController(const std::shared_ptr<PSSpecifier>& specifier);

  std::shared_ptr<UITableView> table_;
  std::vector<Group> groups_;
  // What the sections were built from, to notice a new or changed array.
  std::shared_ptr<PSSpecifierArray> groupedArray_;
  std::vector<const PSSpecifier*> groupedRows_;
  std::uint64_t groupedCapabilities_ = 0;
  bool grouped_ = false;
  // Cells made to measure rows that had none yet; the row's first display takes
  // its cell from here.
  std::map<const PSSpecifier*, std::shared_ptr<PSTableCell>> sizingCells_;
  std::set<std::string> reportedCellClasses_;
  // The list the page loaded, and for pages the framework opened for a row, the
  // bundle it is in and whether the page loads it itself (PSListControllerPrivate.h).
  friend struct kavro::platform::preferences::ListControllerInternals;
  std::string listName_;
  std::shared_ptr<NSBundle> bundle_;
  bool loadsNamedList_ = false;
};
