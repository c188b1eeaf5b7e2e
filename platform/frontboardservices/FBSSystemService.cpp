#include "platform/frontboardservices/FBSSystemService.h"

#include "platform/device/Device.h"
#include "platform/objc/ClassRegistry.h"
#include "platform/springboardservices/SBSRelaunchAction.h"

const Class* FBSSystemService::classObject() {
  static const FBSSystemServiceClass cls =
      ClassBuilder<FBSSystemService>("FBSSystemService", NSObject::classObject()).build<FBSSystemServiceClass>();
  return &cls;
}

std::shared_ptr<FBSSystemService> FBSSystemServiceClass::sharedService() const {
  return kavro::platform::Process::current().singleton<FBSSystemService>([] { return ::alloc<FBSSystemService>(); });
}

void FBSSystemService::sendActions(const std::shared_ptr<NSSet>& actions, std::function<void(bool)> result) {
  if (actions) {
    for (auto& object : actions->allObjects()) {
      auto relaunch = std::dynamic_pointer_cast<SBSRelaunchAction>(object);
      if (!relaunch) continue;
      kavro::platform::Device::current().requestRelaunch(
          {relaunch->reason(), static_cast<std::int64_t>(relaunch->options()),
           relaunch->targetURL() ? relaunch->targetURL()->absoluteString() : ""});
    }
  }
  if (result) kavro::platform::Process::current().mainRunLoop().performSoon([result] { result(true); });
}

namespace kavro::platform::frontboardservices {
void registerClasses() { ClassRegistry::registerClass(FBSSystemService::classObject()); }
}  // namespace kavro::platform::frontboardservices
