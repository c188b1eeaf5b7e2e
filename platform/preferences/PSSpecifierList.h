#pragma once
// Specifier lists, the property lists a preference bundle ships ("Root.plist"): a
// dictionary with an optional "title" and an "items" array of dictionaries, one per
// row, each naming its cell type under "cell". A malformed list is loaded as far as
// it is valid: every item that cannot be a row is skipped with a line on standard
// error saying which one and why, and the rest still load.

#include "platform/foundation/PlistValue.h"
#include "platform/preferences/PSSpecifier.h"

#include <memory>
#include <optional>
#include <string>

namespace kavro::platform::preferences {

struct SpecifierList {
  std::optional<std::string> title;
  PSSpecifierArray specifiers;
};

// Reads the list in the file at an iOS path. A missing or unreadable file gives an
// empty list. `source` names the list in messages.
SpecifierList loadSpecifierList(const std::string& iosPath);

// Builds the rows of an already parsed list.
SpecifierList specifierListFromPropertyList(const PlistValue& list, const std::string& source);

}  // namespace kavro::platform::preferences
