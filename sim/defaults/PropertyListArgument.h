#pragma once
// A property list given as one command-line argument: old-style text
// ('(a, b)', '{ a = 1; }', '<0fbd>'), an XML document, or one XML value element
// without the document around it ('<dict>…</dict>', '<true/>'), as the platform's
// tool takes it. NSPropertyListSerialization tells the forms apart.

#include "platform/foundation/PlistValue.h"

#include <optional>
#include <string>

namespace kavro::defaults {

class PropertyListArgument {
 public:
  // The property list `text` holds; nothing, with the reader's reason (naming the
  // line where the text form has one) in `error`, when it holds none.
  static std::optional<PlistValue> parse(const std::string& text, std::string* error = nullptr);
  // An untyped value: the property list `text` holds, else the string it is (so a
  // plain word, or text that is no property list, is stored as it was typed).
  static PlistValue valueOrString(const std::string& text);
};

}  // namespace kavro::defaults
