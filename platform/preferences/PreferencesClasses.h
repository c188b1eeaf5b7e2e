#pragma once
// Makes the Preferences framework's classes known by name (cell classes, detail
// pages, principal classes of preference bundles).

namespace kavro::platform::preferences {

// Registers every class of the framework. Safe to call more than once.
void registerPreferencesClasses();

}  // namespace kavro::platform::preferences
