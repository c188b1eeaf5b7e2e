#include "platform/springboardservices/SBSRelaunchAction.h"

#include "platform/objc/ClassRegistry.h"

const Class* SBSRelaunchAction::classObject() {
  static const SBSRelaunchActionClass cls =
      ClassBuilder<SBSRelaunchAction>("SBSRelaunchAction", NSObject::classObject()).build<SBSRelaunchActionClass>();
  return &cls;
}

std::shared_ptr<SBSRelaunchAction> SBSRelaunchActionClass::actionWithReason(
    const std::string& reason, std::uint64_t options, const std::shared_ptr<NSURL>& targetURL) const {
  auto action = ::alloc<SBSRelaunchAction>();
  action->reason_ = reason;
  action->options_ = options;
  action->targetURL_ = targetURL;
  return action;
}

namespace kavro::platform::springboardservices {
void registerClasses() { ClassRegistry::registerClass(SBSRelaunchAction::classObject()); }
}  // namespace kavro::platform::springboardservices
