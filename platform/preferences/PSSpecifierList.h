#pragma once
// Specifier lists, the property lists a preference bundle ships ("Root.plist"): a
// dictionary with an optional "title" and an "items" array of dictionaries, one per
// row, each naming its cell type under "cell". A malformed list is loaded as far as
// it is valid, with a line on standard error for each thing it does not honour: an
// entry the framework reads with a value of the wrong type is dropped from its item
// (the row shows as if it were absent); an item without a known "cell" shows as a
// link row when it opens a page ("detail"), a button row when it has an "action",
// else a plain row with its label; only items that are no dictionary, or have
// nothing at all to show, are skipped.

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

// Whether the file at an iOS path is a specifier list: a dictionary with "items".
bool isSpecifierList(const std::string& iosPath);

}  // namespace kavro::platform::preferences
