#include "sim/defaults/PropertyListArgument.h"

#include "platform/foundation/NSPropertyListSerialization.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kavro::defaults {

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

// The elements an XML property list holds as values. None of them reads as
// old-style data, whose '<' is followed by hexadecimal digits only.
constexpr std::array<std::string_view, 9> kXmlValueElements = {
    "dict", "array", "string", "integer", "real", "true", "false", "date", "data"};

bool startsWithXmlValueElement(std::string_view text) {
  if (!text.starts_with('<')) return false;
  text.remove_prefix(1);
  for (std::string_view name : kXmlValueElements) {
    if (!text.starts_with(name) || text.size() == name.size()) continue;
    const char next = text[name.size()];
    if (next == '>' || next == '/' || kWhiteSpace.find(next) != std::string_view::npos) return true;
  }
  return false;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

std::optional<std::string> PropertyListArgument::wrappedXmlElement(const std::string& text) {
  const std::size_t start = text.find_first_not_of(kWhiteSpace);
  if (start == std::string::npos || !startsWithXmlValueElement(std::string_view(text).substr(start)))
    return std::nullopt;
  // On the same line as the element, so that a reader's line numbers stay the
  // argument's own.
  return "<plist version=\"1.0\">" + text + "</plist>";
}

std::optional<PlistValue> PropertyListArgument::parse(const std::string& text, std::string* error) {
  if (text.find_first_not_of(kWhiteSpace) == std::string::npos) {
    if (error) *error = "not a property list: the text is empty";
    return std::nullopt;
  }
  const std::optional<std::string> document = wrappedXmlElement(text);
  return NSPropertyListSerialization::propertyListWithData(bytesOf(document ? *document : text), error);
}

PlistValue PropertyListArgument::valueOrString(const std::string& text) {
  std::optional<PlistValue> value = parse(text);
  return value ? std::move(*value) : PlistValue(text);
}

}  // namespace kavro::defaults
