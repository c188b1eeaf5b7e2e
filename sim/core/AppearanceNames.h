#pragma once
// The device's appearance by name, as scripts, the dump, the panel and the frames
// write it: "light" and "dark". Every front end converts through these two
// functions, so the names are written once.

#include "platform/device/Device.h"
#include "platform/uikit/UITraitCollection.h"

#include <optional>
#include <string_view>

namespace kavro::sim {

// "light" or "dark".
const char* appearanceName(kavro::platform::Appearance appearance);
// The appearance a name stands for; nothing for any other text (names are
// matched exactly: "Dark" is not a name).
std::optional<kavro::platform::Appearance> appearanceNamed(std::string_view name);
// The interface style views are resolved in under an appearance.
UIUserInterfaceStyle interfaceStyle(kavro::platform::Appearance appearance);

}  // namespace kavro::sim
