#pragma once
// Bundles: a folder with an Info.plist and resources. Each simulated process has a
// main bundle (its identifier names the process's application). A loadable bundle
// (a preference bundle) brings classes: loading it runs the loader registered for
// its executable name, which registers them, and remembers which bundle they came
// from (bundleForClass). Localized strings come from the "TABLE.strings" files of
// the bundle's "LANGUAGE.lproj" folders, for the device's language.

#include "platform/foundation/PlistValue.h"
#include "platform/objc/NSObject.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Class;
namespace kavro::platform::foundation {
class DomainFileSnapshot;
struct BundleInternals;
}

class NSBundle : public NSObject {
  KAVRO_OBJC_CLASS(NSBundle)
 public:
  // What loading a bundle's executable does: register its classes, and name them.
  using Loader = std::function<std::vector<const Class*>()>;
  // Makes an executable available for loading, as the dynamic linker would.
  static void registerLoader(const std::string& executableName, Loader loader);

  // The current process's main bundle.
  static std::shared_ptr<NSBundle> mainBundle();
  // The bundle at an iOS path, or nullptr when there is no folder there. Bundles are
  // cached per process by path.
  static std::shared_ptr<NSBundle> bundleWithPath(const std::string& path);
  // The bundle a class was loaded from, or the main bundle.
  static std::shared_ptr<NSBundle> bundleForClass(const Class* cls);

  const std::string& bundlePath() const { return path_; }
  std::string bundleIdentifier() const;
  const PlistValue::Dictionary& infoDictionary() const { return info_; }
  PlistValue objectForInfoDictionaryKey(const std::string& key) const;

  // The iOS path of a resource ("Root", "plist"), or nullopt when it is missing.
  std::optional<std::string> pathForResource(const std::string& name, const std::string& type) const;
  // The same inside a folder of the bundle ("sub", "a/b"); nullopt for a folder
  // that is absolute or climbs out of the bundle ("..").
  std::optional<std::string> pathForResource(const std::string& name, const std::string& type,
                                             const std::string& directory) const;

  // Localization.
  // The bundle's localizations: the NAME of each "NAME.lproj" folder, sorted; "Base"
  // included when the bundle has one.
  std::vector<std::string> localizations() const;
  // The localization the bundle shows for the device's language: the first of the
  // language tag, the tag with "_" for "-" (or the reverse), its language alone and
  // that language's old English folder name ("German" for "de"), then the same for
  // the bundle's development region (CFBundleDevelopmentRegion, else "en"), that
  // the bundle has, compared without regard to case. Empty when it has none.
  std::vector<std::string> preferredLocalizations() const;
  // The string for `key` in TABLE.strings (table "Localizable" when empty) of the
  // preferred localization, else of Base.lproj; else `value`, or `key` when `value`
  // is empty. Tables are read once and again only when their file changes; an
  // unreadable table is said once on standard error and gives no strings.
  std::string localizedStringForKey(const std::string& key, const std::string& value,
                                    const std::string& table) const;

  // Loads the executable: runs its loader once. False when the bundle has none.
  bool load();
  bool isLoaded() const { return loaded_; }
  // The class named by NSPrincipalClass, after loading.
  const Class* principalClass();

 private:
  friend struct kavro::platform::foundation::BundleInternals;
  std::string path_;
  std::string mainIdentifier_;
  PlistValue::Dictionary info_;
  bool loaded_ = false;
  // Localized-string tables by path inside the bundle ("de.lproj/Root.strings"),
  // and the localization last chosen, for the language it was chosen for.
  mutable std::map<std::string, std::shared_ptr<kavro::platform::foundation::DomainFileSnapshot>> stringTables_;
  mutable std::string chosenForLanguage_;
  mutable std::optional<std::int64_t> chosenFolderTime_;
  mutable std::vector<std::string> chosenLocalizations_;

  const PlistValue* localizedEntry(const std::string& localization, const std::string& table,
                                   const std::string& key) const;
};
