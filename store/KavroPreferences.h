#pragma once
// The bundle's preference domain and its keys. There is no store object: every
// access goes to the platform's shared defaults anew and names the domain, so a
// value written by another process is seen at the next read.

#include "platform/foundation/PlistValue.h"

#include <string>
#include <vector>

namespace kavro::store {

inline constexpr const char* kDomain = "com.qelm.kavroprefs";
// The domain's property-list file; the bundle only tests whether it exists.
inline constexpr const char* kPreferencesFilePath =
    "/var/jb/var/mobile/Library/Preferences/com.qelm.kavroprefs.plist";
inline constexpr const char* kEnabledKey = "enabled";
// The list the settings page's picker edits.
inline constexpr const char* kBlacklistKey = "blacklist";

// The stored object under `key`, or nil.
PlistValue objectForKey(const std::string& key);
// Stores `value` under `key`; nil removes the key.
void setObject(const PlistValue& value, const std::string& key);

// `enabled`: a boolean or number read by its truth value, a string by the
// platform's boolValue rules; anything else, or nothing, reads as off.
bool readEnabled();
void writeEnabled(bool enabled);

// An identifier list. A value that is not an array reads as empty and elements
// that are not strings are skipped; a read never writes anything back.
std::vector<std::string> readIdentifierList(const std::string& key);
// Writes the whole list as an array of strings.
void writeIdentifierList(const std::string& key, const std::vector<std::string>& list);
// Removes the key (the picker's own reset).
void removeIdentifierList(const std::string& key);

// Removes every key of the domain and writes the change out (the full reset).
void removeDomain();

// Whether the domain's property-list file exists (the first-run test).
bool preferencesFileExists();

}  // namespace kavro::store
