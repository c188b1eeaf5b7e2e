#include "store/KavroPreferences.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSUserDefaults.h"

namespace kavro::store {

PlistValue objectForKey(const std::string& key) {
  return NSUserDefaults::standardUserDefaults()->objectForKey(key, kDomain);
}

void setObject(const PlistValue& value, const std::string& key) {
  // The store reports failures itself; the page has no way to show them.
  NSUserDefaults::standardUserDefaults()->setObject(value, key, kDomain);
}

bool readEnabled() { return objectForKey(kEnabledKey).boolValue(); }

void writeEnabled(bool enabled) { setObject(PlistValue(enabled), kEnabledKey); }

std::vector<std::string> readIdentifierList(const std::string& key) {
  std::vector<std::string> list;
  PlistValue stored = objectForKey(key);
  if (const PlistValue::Array* array = stored.asArray()) {
    for (const PlistValue& element : *array)
      if (const std::string* identifier = element.asString()) list.push_back(*identifier);
  }
  return list;
}

void writeIdentifierList(const std::string& key, const std::vector<std::string>& list) {
  PlistValue::Array array(list.begin(), list.end());
  setObject(PlistValue(std::move(array)), key);
}

void removeIdentifierList(const std::string& key) { setObject(PlistValue(), key); }

void removeDomain() {
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(kDomain);
  NSUserDefaults::standardUserDefaults()->synchronize();
}

bool preferencesFileExists() {
  return NSFileManager::defaultManager()->fileExistsAtPath(kPreferencesFilePath);
}

}  // namespace kavro::store
