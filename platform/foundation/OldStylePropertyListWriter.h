#pragma once
// Property-list values in the platform's old-style (OpenStep) text form, for people
// to read. `description` is what the platform's `defaults read` prints:
//   {
//       blacklist = (
//           "com.apple.mobilesafari"
//       );
//       enabled = 1;
//   }
// `write` is the same text with data as <0fbd7777 0102>, the form
// OldStylePropertyListReader reads back.
//
// Strings other than plain words are quoted, with quotes, backslashes, line feeds,
// tabs and carriage returns escaped, and every other character outside printable
// ASCII as \UXXXX (UTF-16 units, so a character past U+FFFF is a surrogate pair).
// The form has no numbers, booleans or dates: they are written as their text and
// read back as strings. Arrays and dictionaries are written without recursion.

#include "platform/foundation/PlistValue.h"

#include <string>

namespace kavro::platform::foundation {

class OldStylePropertyListWriter {
 public:
  // The text `defaults read` prints: data as {length = N, bytes = 0x0fbd7777}.
  static std::string description(const PlistValue& value);
  // The text the reader takes back: data as <0fbd7777>. Strings, data, arrays and
  // dictionaries read back equal. Text that is not UTF-8 reads back changed: a
  // byte that starts no sequence becomes the character of that number.
  static std::string write(const PlistValue& value);
  // A string as a key or value: bare when it is a plain word, quoted otherwise.
  static std::string quoted(const std::string& text);
};

}  // namespace kavro::platform::foundation
