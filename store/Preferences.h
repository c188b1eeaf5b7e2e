#pragma once
// The bundle's preference domain, its keys and every read and write of them but
// the identifier lists (KavroIdentifierList). There is no store object: every
// access goes to the platform's shared defaults anew and names the domain, so a
// value written by another process is seen at the next read.

namespace kavro::store {

inline constexpr const char* kDomain = "com.qelm.kavroprefs";
// The domain's property-list file; the bundle only tests whether it exists.
inline constexpr const char* kPreferencesFilePath =
    "/var/jb/var/mobile/Library/Preferences/com.qelm.kavroprefs.plist";
inline constexpr const char* kEnabledKey = "enabled";
// The list the settings page's picker edits.
inline constexpr const char* kBlacklistKey = "blacklist";

// `enabled`: a boolean or number read by its truth value, a string by the
// platform's boolValue rules; anything else, or nothing, reads as off.
bool readEnabled();
// Stores `enabled` as a boolean.
void writeEnabled(bool enabled);

// Removes every key of the domain and writes the change out (the full reset).
void removeDomain();

// Whether the domain's property-list file exists (the first-run test).
bool preferencesFileExists();

}  // namespace kavro::store
