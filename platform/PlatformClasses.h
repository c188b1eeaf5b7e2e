#pragma once
// Registers the stand-in's classes that code finds by name (NSClassFromString) —
// the Preferences framework's cells and pages and the system services — and the
// application icon source of UIKit. A program calls it once at start-up, before it
// loads any bundle.

namespace kavro::platform {
void registerPlatformClasses();
}
