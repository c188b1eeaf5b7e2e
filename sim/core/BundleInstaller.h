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
// longer has are removed from the installed copy). An editor's leftovers are not
// part of a bundle and are not installed: names starting with "." or "#" (swap,
// lock and autosave files) or ending in "~" (backups). Stored preference domains
// are never touched.
//
// Installing again while the device runs (reinstallBundle) first reads every
// property list and strings table that would change: one that cannot be read is
// reported with its file and line and nothing is installed, so the pages keep
// what they show.

#include <filesystem>
#include <optional>
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

// Whether a file of a bundle's folder is an editor's leftover rather than part
// of the bundle (see above).
bool isEditorLeftover(const std::filesystem::path& file);

// Checks that `bundleFolder` can be installed, as installPreferenceBundle does,
// without installing it: what it would install as.
InstalledBundle checkPreferenceBundle(const std::filesystem::path& bundleFolder);

// Checks `bundleFolder` and installs it into the device folder `deviceFolder`.
// Throws BundleInstallError when the folder is not a bundle (no Info.plist, or one
// that is no dictionary; no Root list; an entry that cannot be read), and
// std::runtime_error when the device cannot be written.
InstalledBundle installPreferenceBundle(const std::filesystem::path& deviceFolder,
                                        const std::filesystem::path& bundleFolder);

// The bundle name a folder installs as: its name without ".bundle".
std::string bundleNameOf(const std::filesystem::path& bundleFolder);
// The iOS path an installed bundle has: "/var/jb/Library/PreferenceBundles/NAME.bundle".
std::string installedBundlePath(const std::string& name);

// Where an installed bundle's files come from, to install it again when they change.
struct BundleSource {
  std::string name;               // the installed bundle's name
  std::filesystem::path folder;   // the folder its files come from
  bool builtIn = false;           // Kavro's own, from the repository's resources (SampleDevice.h)
};

// A file of a bundle that could not be read: the file (relative to the source
// folder, or as the installer names it), its line when known (0 otherwise) and why.
struct ReinstallProblem {
  std::string file;
  int line = 0;
  std::string message;
};
struct Reinstall {
  // The bundle's installed files (its folder and its entry) that changed, by
  // their paths in the source folder, sorted; empty when nothing changed.
  std::vector<std::string> changedFiles;
  // Set when nothing was installed.
  std::optional<ReinstallProblem> problem;
};
// Installs `source` into the device folder again (see above). Throws
// std::runtime_error only when the device cannot be written.
Reinstall reinstallBundle(const std::filesystem::path& deviceFolder, const BundleSource& source);

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
