#include "platform/PlatformClasses.h"

#include "platform/frontboardservices/FBSSystemService.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/preferences/PreferencesClasses.h"
#include "platform/springboardservices/SBSRelaunchAction.h"

namespace kavro::platform {

void registerPlatformClasses() {
  kavro::platform::preferences::registerPreferencesClasses();
  kavro::platform::springboardservices::registerClasses();
  kavro::platform::frontboardservices::registerClasses();
  kavro::platform::mobilecoreservices::registerApplicationIcons();
}

}  // namespace kavro::platform
