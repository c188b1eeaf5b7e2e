#include "store/Preferences.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSUserDefaults.h"

namespace kavro::store {

bool readEnabled() { return NSUserDefaults::standardUserDefaults()->objectForKey(kEnabledKey, kDomain).boolValue(); }

void writeEnabled(bool enabled) {
  // The store reports failures itself; the page has no way to show them.
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(enabled), kEnabledKey, kDomain);
}

void removeDomain() {
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(kDomain);
  NSUserDefaults::standardUserDefaults()->synchronize();
}

bool preferencesFileExists() {
  return NSFileManager::defaultManager()->fileExistsAtPath(kPreferencesFilePath);
}

}  // namespace kavro::store
