#pragma once
// The bundle's executable entry: loading "kavroprefs" registers the bundle's
// classes (the principal page, the picker, the switch and the two cells).

#include <vector>

class Class;

namespace kavro {

// Every class the bundle brings.
std::vector<const Class*> bundleClasses();
// Makes the bundle's executable loadable by NSBundle, under its executable name.
void registerBundleExecutable();

// Where the bundle is installed on the device.
inline constexpr const char* kBundlePath = "/var/jb/Library/PreferenceBundles/kavroprefs.bundle";
// The URL that opens the bundle's page in Settings: where a respring returns to.
inline constexpr const char* kRootPageURL = "prefs:root=Kavro";

}  // namespace kavro
