#include "platform/foundation/NSUserDefaults.h"

#include "platform/device/Device.h"
#include "platform/device/Process.h"
#include "platform/foundation/PreferenceDomainStore.h"
#include "platform/objc/Class.h"

using kavro::platform::foundation::PreferenceDomainStore;

KAVRO_OBJC_CLASS_IMPLEMENTATION(NSUserDefaults, NSObject, )

namespace {
const std::string kNotInitialised =
    "this NSUserDefaults object was never initialised with a folder; nothing was done";
}

NSUserDefaults::NSUserDefaults() = default;
NSUserDefaults::~NSUserDefaults() = default;

std::shared_ptr<NSUserDefaults> NSUserDefaults::initWithDirectory(std::filesystem::path directory) {
  store_ = std::make_unique<PreferenceDomainStore>(std::move(directory));
  return self<NSUserDefaults>();
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults() {
  return kavro::platform::Process::current().singleton<NSUserDefaults>([] {
    return alloc<NSUserDefaults>()->initWithDirectory(
        kavro::platform::Device::current().resolve(kPreferencesDirectory));
  });
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::defaultsWithDirectory(std::filesystem::path directory) {
  return alloc<NSUserDefaults>()->initWithDirectory(std::move(directory));
}

PlistValue NSUserDefaults::objectForKey(const std::string& key, const std::string& domain) {
  return store_ ? store_->value(key, domain) : PlistValue();
}

bool NSUserDefaults::setObject(const PlistValue& value, const std::string& key,
                               const std::string& domain) {
  return store_ && store_->setValue(key, value, domain);
}

bool NSUserDefaults::removePersistentDomainForName(const std::string& domain) {
  return store_ && store_->removeDomain(domain);
}

PlistValue::Dictionary NSUserDefaults::persistentDomainForName(const std::string& domain) {
  return store_ ? store_->values(domain) : PlistValue::Dictionary();
}

bool NSUserDefaults::setPersistentDomain(const PlistValue::Dictionary& values,
                                         const std::string& domain) {
  return store_ && store_->replaceDomain(values, domain);
}

std::vector<std::string> NSUserDefaults::persistentDomainNames() {
  return store_ ? store_->domainNames() : std::vector<std::string>();
}

bool NSUserDefaults::synchronize() { return store_ && store_->isUsable(); }

std::filesystem::path NSUserDefaults::pathForDomain(const std::string& domain) {
  return store_ ? store_->fileForDomain(domain) : std::filesystem::path();
}

const std::string& NSUserDefaults::lastError() const {
  return store_ ? store_->lastError() : kNotInitialised;
}
