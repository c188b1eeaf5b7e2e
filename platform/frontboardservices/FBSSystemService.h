#pragma once
// The system service that carries out actions such as a relaunch of the home
// screen. Found by name (NSClassFromString); its shared instance is the process's.

#include "platform/foundation/NSSet.h"
#include "platform/objc/Class.h"

#include <functional>
#include <memory>

class FBSSystemService : public NSObject {
  KAVRO_OBJC_CLASS(FBSSystemService)
 public:
  // Hands the actions to the system. Relaunch actions go to the device, which
  // relaunches the home screen and then opens the action's URL. The result handler,
  // if any, runs afterwards on the main run loop.
  void sendActions(const std::shared_ptr<NSSet>& actions, std::function<void(bool)> result);
};

class FBSSystemServiceClass : public Class {
 public:
  using Class::Class;
  std::shared_ptr<FBSSystemService> sharedService() const;
};

namespace kavro::platform::frontboardservices {
void registerClasses();
}
