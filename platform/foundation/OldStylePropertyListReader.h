#pragma once
// Reads the platform's old-style (OpenStep) text form of property lists, trusting
// nothing in it:
//   { key = value; "quoted key" = ( a, "b c", <0fbd 7777>, ); }
// Values are strings, arrays, dictionaries and data only; the form has no numbers,
// booleans or dates. Strings are quoted ("…" or '…', with the escapes \a \b \f \n
// \r \t \v, \" \' \\, octal \ooo up to \377 read as U+0000...U+00FF, and \UXXXX
// with one to four hexadecimal digits, a UTF-16 unit: a high and a low surrogate
// in a row make one character, a lone surrogate is kept in its three-byte form as
// the binary reader keeps it; a backslash before any other character stands for
// that character) or bare: a run of ASCII letters, digits and _$+/:.-. Data is
// hexadecimal digits and white space between < and >. `//` and `/* */` comments
// may stand wherever white space may; inside a bare word a slash is part of it.
//
// The strings-file form is read too: a top level of `key = value;` pairs without
// braces (any value, as in braces), where a bare `key;` means `key = key`. A text
// of nothing but white space and comments is an empty strings file: an empty
// dictionary.
//
// Text bytes inside quotes are taken as they are, so text that is not UTF-8 is kept
// byte for byte, as the XML reader keeps it. A key given twice keeps its last value.
// Containers are read with a stack of their own (no recursion), nested no deeper
// than the limit, and no more values than the limit are made. Every error names the
// line and what was expected there.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::platform::foundation {

class OldStylePropertyListReader {
 public:
  struct Limits {
    int maximumDepth;
    std::size_t maximumObjects;
  };

  // `text` is UTF-8: a byte-order mark removed, UTF-16 turned into UTF-8.
  OldStylePropertyListReader(std::string_view text, Limits limits);

  // The root value; nothing, with the reason in `error`, for text that is not a
  // well-formed property list within the limits.
  std::optional<PlistValue> read(std::string* error);

 private:
  enum class Kind { array, dictionary, stringsFile };
  // A container being read, with what it holds so far.
  struct Frame {
    Kind kind;
    std::size_t openedAt = 0;
    bool afterValue = false;
    std::size_t keyAt = 0;
    std::string key;
    PlistValue::Array elements;
    PlistValue::Dictionary entries;
  };

  bool fail(std::size_t at, const std::string& reason);
  std::size_t lineOf(std::size_t at) const;
  std::string found(std::size_t at) const;
  std::string keyNamedAt(std::size_t at);
  bool atEnd() const { return position_ >= text_.size(); }
  bool skipSpace();
  bool startsString() const;
  bool startsStringsFile();
  bool readString(std::string& out);
  bool readQuoted(std::string& out);
  bool readEscape(std::string& out, std::size_t stringStart);
  bool readUnicodeEscape(std::string& out);
  bool readData(PlistValue& out);
  bool countValue(std::size_t at);
  // Reads a string or data into `completed`, or opens a container; `expected`
  // says what else could have stood there.
  bool beginValue(std::optional<PlistValue>& completed, const char* expected);
  bool open(Kind kind);
  void close();
  void deliver(PlistValue value);
  bool stepArray(Frame& frame);
  bool stepDictionary(Frame& frame);
  bool readEntry(Frame& frame);

  std::string_view text_;
  Limits limits_;
  std::size_t position_ = 0;
  std::size_t values_ = 0;
  std::vector<Frame> frames_;
  std::optional<PlistValue> root_;
  std::string error_;
};

}  // namespace kavro::platform::foundation
