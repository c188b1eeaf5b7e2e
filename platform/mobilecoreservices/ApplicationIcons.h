#pragma once
// Application icons for UIImage's _applicationIconImageForBundleIdentifier.
//
// An installed application's icon is the best-fitting of the files its Info.plist
// declares, each name resolved in its .app folder by trying the name as it is, then
// NAME@3x.png, NAME@2x.png and NAME.png. An application without a usable icon file,
// and an identifier no application has, get a placeholder drawn for the identifier.

#include "platform/coregraphics/CGGeometry.h"

namespace kavro::platform::mobilecoreservices {

// Installs the icon provider behind UIImage::_applicationIconImageForBundleIdentifier.
// Call once at start-up; calling again changes nothing.
void registerApplicationIcons();

// The size in points of an icon format: 0 is the 29-point Settings icon, 2 the
// 40-point Spotlight icon, and 1 (the home-screen icon) and every other format 60.
CGFloat iconPointSize(int format);

}  // namespace kavro::platform::mobilecoreservices
