#pragma once
// `find WORD`: for every domain whose name contains WORD, all of its keys; for every
// other domain, the keys whose name or value contains it, printed as the platform's
// tool prints them:
//   Found 2 keys in domain 'com.qelm.kavroprefs': {
//       blacklist = (
//           "com.apple.mobilesafari"
//       );
//       enabled = 1;
//   }
// A value contains WORD when one of the strings in it, a key of a dictionary in it,
// or one of its numbers written out in decimal does. Letter case is ignored, and a
// match never begins or ends inside a character of several code points. With no
// match anywhere it says so and the exit status is 1.

#include "sim/defaults/CommandContext.h"

#include <string>

namespace kavro::defaults {

class FindCommand {
 public:
  static int find(CommandContext& context, Arguments arguments);

  // Whether `value` contains `word` (already lower-cased), as above.
  static bool valueContains(const PlistValue& value, const std::string& lowercaseWord);
  // Whether `text` contains `word` (already lower-cased), letter case aside.
  static bool textContains(const std::string& text, const std::string& lowercaseWord);
};

}  // namespace kavro::defaults
