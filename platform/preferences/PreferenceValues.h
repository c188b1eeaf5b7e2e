#pragma once
// How the framework reads values: the entries of a specifier list (which the
// old-style text form gives as strings only: "YES", "0.5") and the values rows show
// from the store. Each kind of row takes values of its own type; a value of any
// other type reads as absent, so the row shows its default, and nothing is ever
// written back because of it.

#include "platform/foundation/PlistValue.h"
#include "platform/preferences/PSSpecifier.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class PSListController;

namespace kavro::platform::preferences {

// A number: an integer, a finite real, or a string that is one whole number
// (" 12", "0.5", "-3e2"). Booleans are no numbers.
std::optional<double> numberFrom(const PlistValue& value);
// A boolean: a boolean, a number (not zero is true), or a string "YES", "NO", "true",
// "false" (in any case) or a number.
std::optional<bool> booleanFrom(const PlistValue& value);
// Text to show: a string, or a number written out (formatNumber).
std::optional<std::string> textFrom(const PlistValue& value);
// A number as rows show it: whole numbers without decimals, others with at most
// two ("3", "0.5", "1.25").
std::string formatNumber(double value);
// Whether two values name the same choice: equal, or numbers (numeric strings
// included) of equal value, or booleans of equal truth.
bool sameChoice(const PlistValue& a, const PlistValue& b);

// A row's choices: "validTitles" with "validValues" (and "shortTitles", the titles a
// link-list row shows as its value). Without values the titles are the values;
// without titles the values are written out as titles. Entries past the shorter of
// the two lists are not choices.
struct Choices {
  std::vector<std::string> titles;
  std::vector<std::string> shortTitles;
  PlistValue::Array values;
  // The row names methods of its bundle's code for its titles or values
  // ("titlesDataSource", "valuesDataSource") and gives no list of its own.
  bool fromCode = false;
  std::size_t count() const { return std::min(titles.size(), values.size()); }
};
Choices choicesOf(const PSSpecifier& specifier);
// The index of the choice `value` names, or -1.
long indexOfChoice(const Choices& choices, const PlistValue& value);

// `value` as a row of this specifier's type shows it: a boolean for a switch, a
// number for a slider, a string for a text field, one of the row's values for a
// segment or list row (a title-value row with choices too); nil when the value has
// the wrong type for the row.
PlistValue acceptedValue(const PSSpecifier& specifier, const PlistValue& value);
// The value the row shows: what `controller` reads for it (the stored value, else
// the row's default), else the default, each only when it has the row's type.
PlistValue boundValue(PSListController& controller, const std::shared_ptr<PSSpecifier>& specifier);
// What a title-value or link-list row shows as its detail for `value`: the title of
// its choice (a link-list row's short title where it has one), else the value
// written out ("On" or "Off" for a boolean); empty for no value.
std::string detailTextForValue(const PSSpecifier& specifier, const PlistValue& value);

}  // namespace kavro::platform::preferences
