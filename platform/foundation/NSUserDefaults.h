#pragma once
// The preference store: named domains, each kept in a property-list file
// "/var/jb/var/mobile/Library/Preferences/DOMAIN.plist" of the device. Every read
// sees what any process wrote last; every write replaces the file atomically and
// durably, serialised across processes by a lock file.

#include "platform/foundation/PlistValue.h"
#include "platform/objc/NSObject.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kavro::platform::foundation {
class PreferenceDomainStore;
}

class NSUserDefaults : public NSObject {
  KAVRO_OBJC_CLASS(NSUserDefaults)
 public:
  // The folder of the domain files, as an iOS path.
  static constexpr const char* kPreferencesDirectory = "/var/jb/var/mobile/Library/Preferences";

  NSUserDefaults();
  ~NSUserDefaults() override;

  // Initialises a defaults object over a folder of domain files.
  std::shared_ptr<NSUserDefaults> initWithDirectory(std::filesystem::path directory);

  // The current process's shared defaults object.
  static std::shared_ptr<NSUserDefaults> standardUserDefaults();
  // A defaults object over a folder of domain files, outside any simulated process
  // (the kavro-defaults tool, tests and benchmarks).
  static std::shared_ptr<NSUserDefaults> defaultsWithDirectory(std::filesystem::path directory);

  // The value last stored under `key` in `domain` by any process, or nil.
  PlistValue objectForKey(const std::string& key, const std::string& domain);
  // Stores `value` under `key` in `domain`; a nil value removes the key. Returns
  // false, writing nothing, when the domain name is not a plain file name or the
  // file cannot be written (the reason goes to standard error).
  bool setObject(const PlistValue& value, const std::string& key, const std::string& domain);
  // Removes every key of the domain: its file goes, as on the platform (an
  // unreadable file is moved aside instead).
  bool removePersistentDomainForName(const std::string& domain);
  // The whole domain as stored (empty when it has no file or cannot be read).
  PlistValue::Dictionary persistentDomainForName(const std::string& domain);
  // Replaces the whole domain with `values`.
  bool setPersistentDomain(const PlistValue::Dictionary& values, const std::string& domain);
  // Names of the domains that have a file.
  std::vector<std::string> persistentDomainNames();
  // Writes out anything pending. Every write is already durable, so this only
  // reports whether the store is usable.
  bool synchronize();

  // The file of a domain, as a path on this machine.
  std::filesystem::path pathForDomain(const std::string& domain);
  // Why the latest refused or failed operation failed; empty after a success.
  const std::string& lastError() const;

 private:
  std::unique_ptr<kavro::platform::foundation::PreferenceDomainStore> store_;
};
