#pragma once
// The entries Settings lists: one for each installed preference bundle that has a
// file in /var/jb/Library/PreferenceLoader/Preferences, naming its label, its
// bundle and its icon; and the page an entry opens, made from its bundle's
// principal class.

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

  // Where its bundle is and where its icon is, on the device.
  std::string bundlePath() const;
  std::string iconPath() const;
};

// Reads the installed entries, sorted by label; unreadable entries are skipped with
// a message on standard error.
std::vector<SettingsEntry> installedSettingsEntries();
// The installed entry whose label or bundle is `name`, if any.
std::optional<SettingsEntry> findSettingsEntry(const std::string& name);
// Makes the page of an entry: loads its bundle and creates its principal class,
// titled after the entry. Nothing, with a message, when the bundle is missing or
// has no page.
std::shared_ptr<UIViewController> makeEntryPage(const SettingsEntry& entry);

}  // namespace kavro::sim
