#pragma once
// The entries Settings lists: one for each installed preference bundle that has a
// file in /var/jb/Library/PreferenceLoader/Preferences, naming its label, its
// bundle and its icon; and the page an entry opens, made from its bundle's
// principal class. A principal class the simulator cannot run (the bundle's own
// compiled code) is shown as a generic PSListController of the bundle's Root
// list; an entry whose file carries its own "items" (an entry-only bundle) as a
// PSListController of those items.

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UIViewController;

namespace kavro::sim {

// One entry of /var/jb/Library/PreferenceLoader/Preferences/*.plist.
struct SettingsEntry {
  std::string label;       // the row's title and the page's title
  std::string bundleName;  // "kavroprefs": /var/jb/Library/PreferenceBundles/NAME.bundle
  std::string iconFile;    // inside the bundle
  std::string entryFile;   // the entry's own file, on the device
  bool entryOnly = false;  // the entry's file carries the rows ("items")

  // Where its bundle is and where its icon is, on the device.
  std::string bundlePath() const;
  std::string iconPath() const;
};

// Reads the installed entries, sorted by label without regard to case; unreadable entries are skipped with
// a message on standard error.
std::vector<SettingsEntry> installedSettingsEntries();
// The installed entry whose label or bundle is `name`, if any.
std::optional<SettingsEntry> findSettingsEntry(const std::string& name);
// The installed entry of the bundle `bundleName`, if any.
std::optional<SettingsEntry> findSettingsEntryOfBundle(const std::string& bundleName);
// Makes the page of an entry, titled after the entry: its bundle's principal
// class, else a generic list of its Root list (said once on standard error), else
// for an entry-only bundle a list of its items. Nothing, with a message, when the
// bundle is missing.
std::shared_ptr<UIViewController> makeEntryPage(const SettingsEntry& entry);
// The bundle whose entry made `page` (makeEntryPage), or "" for another page.
std::string bundleOfEntryPage(const std::shared_ptr<UIViewController>& page);
// Loads the rows of an entry's page again from the installed files, in place:
// an entry-only bundle's items from its entry, a list page's list from its
// bundle. False when the page cannot show the entry any more (its list is gone).
bool reloadEntryPage(const std::shared_ptr<UIViewController>& page, const SettingsEntry& entry);

}  // namespace kavro::sim
