#include "platform/device/DeviceCapabilities.h"

namespace kavro::platform {

DeviceCapabilities::DeviceCapabilities() {
  for (std::string_view name : kDefaultCapabilities) names_.emplace(name);
}

void DeviceCapabilities::set(const std::string& name, bool present) {
  bool changed = present ? names_.insert(name).second : names_.erase(name) != 0;
  if (changed) ++generation_;
}

}  // namespace kavro::platform
