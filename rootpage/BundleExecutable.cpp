#include "rootpage/BundleExecutable.h"

#include "cells/KavroSwitchTableCell.h"
#include "cells/KavroTableCell.h"
#include "platform/foundation/NSBundle.h"
#include "rootpage/KavroRootListController.h"
#include "selector/KavroApplicationSelector.h"
#include "switch/KavroSwitch.h"

namespace kavro {

std::vector<const Class*> bundleClasses() {
  return {KavroRootListController::classObject(), KavroApplicationSelector::classObject(),
          KavroSwitchTableCell::classObject(), KavroTableCell::classObject(), KavroSwitch::classObject()};
}

void registerBundleExecutable() { NSBundle::registerLoader("kavroprefs", [] { return bundleClasses(); }); }

}  // namespace kavro
