#pragma once
// Property-list values in the platform's old-style text form, as its `defaults read`
// prints them:
//   {
//       blacklist = (
//           "com.apple.mobilesafari"
//       );
//       enabled = 1;
//   }
// Strings other than plain words are quoted, with non-ASCII characters as \UXXXX.

#include "platform/foundation/PlistValue.h"

#include <string>

namespace kavro::defaults {

class OldStylePlistFormatter {
 public:
  static std::string format(const PlistValue& value);
  // A string as a key or value: bare when it is a plain word, quoted otherwise.
  static std::string quoted(const std::string& text);

 private:
  static void append(std::string& out, const PlistValue& value, int indent);
};

}  // namespace kavro::defaults
