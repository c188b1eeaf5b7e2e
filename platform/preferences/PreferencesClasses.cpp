#include "platform/preferences/PreferencesClasses.h"

#include "platform/objc/ClassRegistry.h"
#include "platform/preferences/PSControlTableCell.h"
#include "platform/preferences/PSEditableTableCell.h"
#include "platform/preferences/PSFooterView.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PSSegmentTableCell.h"
#include "platform/preferences/PSSegmentableSlider.h"
#include "platform/preferences/PSSliderTableCell.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSSwitchTableCell.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/preferences/PSViewController.h"
#include "platform/preferences/UnavailablePageController.h"

namespace kavro::platform::preferences {

void registerPreferencesClasses() {
  for (const Class* cls :
       {PSSpecifier::classObject(), PSViewController::classObject(), PSListController::classObject(),
        PSListItemsController::classObject(), PSTableCell::classObject(), PSControlTableCell::classObject(),
        PSSwitchTableCell::classObject(), PSSliderTableCell::classObject(), PSSegmentableSlider::classObject(),
        PSSegmentTableCell::classObject(), PSEditableTableCell::classObject(), PSFooterView::classObject(),
        UnavailablePageController::classObject()})
    ClassRegistry::registerClass(cls);
}

}  // namespace kavro::platform::preferences
