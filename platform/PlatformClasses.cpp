#include "platform/PlatformClasses.h"

#include "platform/frontboardservices/FBSSystemService.h"
#include "platform/mobilecoreservices/ApplicationIcons.h"
#include "platform/preferences/PreferencesClasses.h"
#include "platform/springboardservices/SBSRelaunchAction.h"

namespace kavro::platform_support {

void registerPlatformClasses() {
  kavro::preferences::registerPreferencesClasses();
  kavro::springboardservices::registerClasses();
  kavro::frontboardservices::registerClasses();
  kavro::mobilecoreservices::registerApplicationIcons();
}

}  // namespace kavro::platform_support
