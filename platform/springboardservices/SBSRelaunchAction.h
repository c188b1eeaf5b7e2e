#pragma once
// A request to relaunch the home screen: a reason, option flags and the URL the
// system opens afterwards. Code finds the class by name (NSClassFromString) and
// makes actions through the class object's class method.

#include "platform/foundation/NSURL.h"
#include "platform/objc/Class.h"

#include <cstdint>
#include <memory>
#include <string>

class SBSRelaunchAction : public NSObject {
  KAVRO_OBJC_CLASS(SBSRelaunchAction)
 public:
  const std::string& reason() const { return reason_; }
  std::uint64_t options() const { return options_; }
  std::shared_ptr<NSURL> targetURL() const { return targetURL_; }

 private:
  friend class SBSRelaunchActionClass;
  std::string reason_;
  std::uint64_t options_ = 0;
  std::shared_ptr<NSURL> targetURL_;
};

// The class object of SBSRelaunchAction, with its class method.
class SBSRelaunchActionClass : public Class {
 public:
  using Class::Class;
  std::shared_ptr<SBSRelaunchAction> actionWithReason(const std::string& reason, std::uint64_t options,
                                                      const std::shared_ptr<NSURL>& targetURL) const;
};

namespace kavro::platform::springboardservices {
void registerClasses();
}
