#pragma once
// Installing a preference bundle from a folder into a device, as the package
// manager would: the folder's files under
// /var/jb/Library/PreferenceBundles/NAME.bundle and its Settings entry as
// /var/jb/Library/PreferenceLoader/Preferences/NAME.plist. NAME is the folder's
// name without ".bundle".
//
// The entry is, in this order: entry.plist inside the folder (as bundle projects
// keep it), NAME.plist beside the folder, else one made from its Info.plist
// (label from CFBundleDisplayName, else CFBundleName, else NAME; icon.png when
// the bundle has one). An entry whose plist carries its own "items" is an
// entry-only bundle: its rows are those items, and it needs no Root list.
//
// Installing is repeatable: each start gives the same installed files (a file
// is replaced, atomically, only when its bytes differ; files the folder no
// longer has are removed from the installed copy). Stored preference domains are
// never touched.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro::sim {

// A folder that cannot be installed; the message names the folder and what it lacks.
class BundleInstallError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct InstalledBundle {
  std::string name;                   // NAME
  std::filesystem::path source;       // the folder it came from
  std::filesystem::path entrySource;  // the entry file it came from; empty when made
  bool entryOnly = false;
};

// Checks `bundleFolder` and installs it into the device folder `deviceFolder`.
// Throws BundleInstallError when the folder is not a bundle (no Info.plist, or one
// that is no dictionary; no Root list; an entry that cannot be read), and
// std::runtime_error when the device cannot be written.
InstalledBundle installPreferenceBundle(const std::filesystem::path& deviceFolder,
                                        const std::filesystem::path& bundleFolder);

// The bundle name a folder installs as: its name without ".bundle".
std::string bundleNameOf(const std::filesystem::path& bundleFolder);

// What the web panel lists of an installed bundle: its name, its entry's label and
// the preference domains its lists name ("defaults" of the rows of every
// specifier list at the top of the bundle, or of an entry-only bundle's items),
// sorted, each once.
struct InstalledBundleSummary {
  std::string name;
  std::string label;
  std::vector<std::string> domains;
};
// Every installed entry of the device in `deviceFolder` with a label, sorted by
// label without regard to case (as Settings' first page); unreadable entries and
// lists are left out.
std::vector<InstalledBundleSummary> installedBundleSummaries(const std::filesystem::path& deviceFolder);

}  // namespace kavro::sim
