#include "sim/core/AppearanceNames.h"

namespace kavro::sim {

namespace {
constexpr const char* kLight = "light";
constexpr const char* kDark = "dark";
}  // namespace

const char* appearanceName(kavro::platform::Appearance appearance) {
  return appearance == kavro::platform::Appearance::dark ? kDark : kLight;
}

std::optional<kavro::platform::Appearance> appearanceNamed(std::string_view name) {
  if (name == kLight) return kavro::platform::Appearance::light;
  if (name == kDark) return kavro::platform::Appearance::dark;
  return std::nullopt;
}

UIUserInterfaceStyle interfaceStyle(kavro::platform::Appearance appearance) {
  return appearance == kavro::platform::Appearance::dark ? UIUserInterfaceStyleDark : UIUserInterfaceStyleLight;
}

}  // namespace kavro::sim
