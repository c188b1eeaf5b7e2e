#include "sim/defaults/PropertyListArgument.h"

#include "platform/foundation/NSPropertyListSerialization.h"

#include <cstdint>
#include <vector>

namespace kavro::defaults {

std::optional<PlistValue> PropertyListArgument::parse(const std::string& text, std::string* error) {
  // Text of white space alone would read as an empty strings file, a dictionary
  // nobody meant.
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    if (error) *error = "not a property list: the text is empty";
    return std::nullopt;
  }
  return NSPropertyListSerialization::propertyListWithData(std::vector<std::uint8_t>(text.begin(), text.end()),
                                                           error);
}

PlistValue PropertyListArgument::valueOrString(const std::string& text) {
  std::optional<PlistValue> value = parse(text);
  return value ? std::move(*value) : PlistValue(text);
}

}  // namespace kavro::defaults
