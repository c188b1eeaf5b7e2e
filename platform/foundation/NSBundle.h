#pragma once
// Bundles: a folder with an Info.plist and resources. Each simulated process has a
// main bundle (its identifier names the process's application). A loadable bundle
// (a preference bundle) brings classes: loading it runs the loader registered for
// its executable name, which registers them, and remembers which bundle they came
// from (bundleForClass).

#include "platform/foundation/PlistValue.h"
#include "platform/objc/NSObject.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Class;

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

  // Loads the executable: runs its loader once. False when the bundle has none.
  bool load();
  bool isLoaded() const { return loaded_; }
  // The class named by NSPrincipalClass, after loading.
  const Class* principalClass();

 private:
  std::string path_;
  std::string mainIdentifier_;
  PlistValue::Dictionary info_;
  bool loaded_ = false;
};
