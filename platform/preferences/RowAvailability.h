#pragma once
// Which rows the device shows: a row with "requiredCapabilities" shows only when
// the simulated device meets them (platform/device/DeviceCapabilities.h). The
// requirement is an array of capability names the device must have, a dictionary
// of names to booleans (true: must have, false: must not have) or a single name;
// any other value is no requirement, so that the row still shows.

#include "platform/preferences/PSSpecifier.h"

namespace kavro::platform::preferences {

bool meetsRequiredCapabilities(const PSSpecifier& specifier);

}  // namespace kavro::platform::preferences
