#include "sim/defaults/CommandContext.h"

#include "platform/foundation/NSUserDefaults.h"
#include "sim/defaults/UsageText.h"
#include "sim/devicefolder/DeviceFolder.h"

#include <filesystem>

namespace kavro::defaults {

using kavro::platform::foundation::PreferenceDomainStore;

int CommandContext::badArguments(const std::string& problem) {
  err_ << "kavro-defaults: " << problem << "\n" << UsageText::shortUsage();
  return kBadArguments;
}

int CommandContext::badCommand(const std::string& problem) {
  err_ << "kavro-defaults: " << problem << "\n" << UsageText::usage();
  return kBadArguments;
}

int CommandContext::failure(const std::string& problem) {
  err_ << "kavro-defaults: " << problem << "\n";
  return kFailure;
}

int CommandContext::storeResult(bool ok, bool refused) {
  if (ok) return kSuccess;
  if (refused && store_) return failure(store_->lastError());
  return kFailure;
}

bool CommandContext::checkDomainName(const std::string& domain, int& status) {
  std::string reason;
  if (PreferenceDomainStore::isValidDomainName(domain, &reason)) return true;
  status = badArguments("\"" + domain + "\" is not a domain name: " + reason);
  return false;
}

PreferenceDomainStore* CommandContext::store(int& status) {
  if (store_) return store_.get();
  std::filesystem::path device;
  try {
    device = kavro::sim::chooseDeviceFolder(deviceOption_);
  } catch (const kavro::sim::DeviceFolderError& error) {
    status = failure(error.what());
    return nullptr;
  }
  // The tool never makes a device: the simulator fills a new one with its sample
  // applications only when the folder does not exist yet.
  std::error_code ignored;
  if (!std::filesystem::is_directory(device, ignored)) {
    status = failure("the device folder " + device.string() +
                     " does not exist; run kavro-sim once to create it, or choose another "
                     "with --device");
    return nullptr;
  }
  const std::string preferences = NSUserDefaults::kPreferencesDirectory;
  store_ = std::make_unique<PreferenceDomainStore>(device / preferences.substr(1));
  return store_.get();
}

}  // namespace kavro::defaults
