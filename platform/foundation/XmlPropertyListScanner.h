#pragma once
// Checks an XML property list before libplist parses it: every comment, CDATA
// section, declaration and tag is closed, each closing tag closes the element
// opened last, and elements are nested no deeper than the limit. A failure names
// the line it is on ("line 12: </strin> does not close <string> of line 12"), so
// that a person editing the file by hand finds it.
//
// It also reads the text of every <date> and <integer> element itself, in document
// order: libplist 2.2 keeps dates as 32-bit seconds, so dates before 1901 or after
// 2038 would otherwise come back wrong, and it hands out -1 and 2^64 - 1 as the
// same 64 bits.

#include "platform/foundation/PlistValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro::platform::foundation {

class XmlPropertyListScanner {
 public:
  // `maximumDepth` counts arrays and dictionaries; the <plist> element and a
  // scalar element inside the deepest container come on top.
  XmlPropertyListScanner(std::string_view text, int maximumDepth);

  bool scan(std::string* error);
  // The value of each <date> element in document order; nothing for one whose
  // text is not ISO 8601.
  const std::vector<std::optional<double>>& dates() const { return dates_; }
  // The value of each <integer> element in document order: an integer from -2^63
  // to 2^64 - 1, decimal or hexadecimal ("0x1F"); nothing for other text.
  const std::vector<std::optional<PlistValue>>& integers() const { return integers_; }

 private:
  // Fails with `reason` at the line of `position`.
  bool fail(std::size_t position, const std::string& reason);
  std::size_t lineOf(std::size_t position) const;
  std::size_t nulPosition() const;
  // Each returns the position just after the construct, or npos when unterminated.
  std::size_t skipPast(std::size_t from, std::string_view terminator) const;
  std::size_t skipDeclaration(std::size_t from) const;
  std::size_t tagEnd(std::size_t from) const;
  bool openElement(std::size_t start, std::size_t end);
  bool closeElement(std::size_t start, std::size_t end);
  std::string_view elementName(std::size_t start, std::size_t end) const;

  std::string_view text_;
  int maximumDepth_;
  // The elements open at the scanning position: their names and where they start.
  std::vector<std::pair<std::string_view, std::size_t>> open_;
  std::vector<std::optional<double>> dates_;
  std::vector<std::optional<PlistValue>> integers_;
  std::string error_;
};

}  // namespace kavro::platform::foundation
