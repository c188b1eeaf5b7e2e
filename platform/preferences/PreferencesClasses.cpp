#include "platform/preferences/PreferencesClasses.h"

#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/PSControlTableCell.h"
#include "platform/preferences/PSFooterView.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSSwitchTableCell.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/preferences/PSViewController.h"

namespace kavro::platform::preferences {

void registerPreferencesClasses() {
  for (const Class* cls : {PSSpecifier::classObject(), PSViewController::classObject(),
                           PSListController::classObject(), PSTableCell::classObject(),
                           PSControlTableCell::classObject(), PSSwitchTableCell::classObject(),
                           PSFooterView::classObject()})
    ClassRegistry::registerClass(cls);
}

}  // namespace kavro::platform::preferences
