#include "platform/preferences/RowAvailability.h"

#include "platform/device/Device.h"
#include "platform/preferences/PreferenceValues.h"

namespace kavro::platform::preferences {

bool meetsRequiredCapabilities(const PSSpecifier& specifier) {
  PlistValue required = specifier.propertyForKey("requiredCapabilities");
  const DeviceCapabilities& device = kavro::platform::Device::current().capabilities();
  if (const std::string* name = required.asString()) return name->empty() || device.has(*name);
  if (const PlistValue::Array* names = required.asArray()) {
    for (const PlistValue& name : *names)
      if (name.isString() && !device.has(*name.asString())) return false;
    return true;
  }
  if (const PlistValue::Dictionary* names = required.asDictionary()) {
    for (const auto& [name, wanted] : *names) {
      auto must = booleanFrom(wanted);
      if (must && *must != device.has(name)) return false;
    }
  }
  return true;
}

}  // namespace kavro::platform::preferences
