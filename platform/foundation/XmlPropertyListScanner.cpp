#include "platform/foundation/XmlPropertyListScanner.h"

#include "platform/foundation/ReferenceDateCalendar.h"

#include <algorithm>
#include <cstdint>

namespace kavro::platform::foundation {

namespace {
constexpr auto npos = std::string_view::npos;

std::string_view trimmedOfXmlSpace(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// "-12", "+7", "0x1F": an integer from -2^63 to 2^64 - 1.
std::optional<PlistValue> parseInteger(std::string_view text) {
  text = trimmedOfXmlSpace(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    if (magnitude > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
      return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (!negative) return PlistValue(static_cast<unsigned long long>(magnitude));
  if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return std::nullopt;
  return PlistValue(static_cast<long long>(0 - magnitude));
}

// <plist> around the root and a scalar element inside the deepest container.
constexpr int kElementsBeyondContainers = 2;
}  // namespace

XmlPropertyListScanner::XmlPropertyListScanner(std::string_view text, int maximumDepth)
    : text_(text), maximumDepth_(maximumDepth) {}

bool XmlPropertyListScanner::fail(std::size_t position, const std::string& reason) {
  if (error_.empty()) error_ = "line " + std::to_string(lineOf(position)) + ": " + reason;
  return false;
}

// Lines end at a line feed, a carriage return, or both in that order.
std::size_t XmlPropertyListScanner::lineOf(std::size_t position) const {
  std::size_t line = 1;
  position = std::min(position, text_.size());
  for (std::size_t i = 0; i < position; ++i)
    if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++line;
  return line;
}

std::size_t XmlPropertyListScanner::skipPast(std::size_t from, std::string_view terminator) const {
  std::size_t found = text_.find(terminator, from);
  return found == npos ? npos : found + terminator.size();
}

// <!DOCTYPE ...>, possibly with an internal subset in brackets and quoted strings.
std::size_t XmlPropertyListScanner::skipDeclaration(std::size_t from) const {
  int brackets = 0;
  char quote = 0;
  for (std::size_t i = from; i < text_.size(); ++i) {
    char c = text_[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      return i + 1;
    }
  }
  return npos;
}

// The position of the '>' that ends the tag starting at `from`, minding quoted
// attribute values.
std::size_t XmlPropertyListScanner::tagEnd(std::size_t from) const {
  char quote = 0;
  for (std::size_t i = from; i < text_.size(); ++i) {
    char c = text_[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    } else if (c == '<') {
      return npos;
    }
  }
  return npos;
}

// The name of the tag from `start` ('<') to `end` ('>'), a closing tag's without its '/'.
std::string_view XmlPropertyListScanner::elementName(std::size_t start, std::size_t end) const {
  std::size_t nameStart = start + 1;
  if (nameStart < end && text_[nameStart] == '/') ++nameStart;
  std::size_t nameEnd = nameStart;
  while (nameEnd < end && text_[nameEnd] != ' ' && text_[nameEnd] != '\t' && text_[nameEnd] != '\n' &&
         text_[nameEnd] != '\r' && text_[nameEnd] != '/')
    ++nameEnd;
  return text_.substr(nameStart, nameEnd - nameStart);
}

bool XmlPropertyListScanner::openElement(std::size_t start, std::size_t end) {
  const bool selfClosing = text_[end - 1] == '/';
  if (selfClosing) return true;
  if (static_cast<int>(open_.size()) + 1 > maximumDepth_ + kElementsBeyondContainers)
    return fail(start, "it is nested deeper than " + std::to_string(maximumDepth_) + " levels");
  const std::string_view name = elementName(start, end);
  open_.emplace_back(name, start);
  if (name == "date" || name == "integer") {
    std::size_t contentEnd = text_.find('<', end + 1);
    if (contentEnd == npos) return fail(start, "a <" + std::string(name) + "> element is not closed");
    const std::string_view content = text_.substr(end + 1, contentEnd - end - 1);
    if (name == "date")
      dates_.push_back(ReferenceDateCalendar::parseISO8601(content));
    else
      integers_.push_back(parseInteger(content));
  }
  return true;
}

bool XmlPropertyListScanner::closeElement(std::size_t start, std::size_t end) {
  const std::string_view name = elementName(start, end);
  if (open_.empty()) return fail(start, "</" + std::string(name) + "> closes no element");
  auto [opened, openedAt] = open_.back();
  if (name != opened)
    return fail(start, "</" + std::string(name) + "> does not close <" + std::string(opened) + "> of line " +
                           std::to_string(lineOf(openedAt)));
  open_.pop_back();
  return true;
}

// XML has no NUL character, neither raw nor as a reference (&#0; &#x00;), and
// libplist aborts on a dictionary key that holds one. The position of the first,
// or npos.
std::size_t XmlPropertyListScanner::nulPosition() const {
  if (std::size_t raw = text_.find('\0'); raw != npos) return raw;
  for (std::size_t at = text_.find("&#"); at != npos; at = text_.find("&#", at + 2)) {
    std::size_t digit = at + 2;
    const bool hexadecimal = digit < text_.size() && (text_[digit] == 'x' || text_[digit] == 'X');
    if (hexadecimal) ++digit;
    while (digit < text_.size() && text_[digit] == '0') ++digit;
    const bool zeroDigitsSeen = digit > at + 2 + (hexadecimal ? 1 : 0);
    if (zeroDigitsSeen && digit < text_.size() && text_[digit] == ';') return at;
  }
  return npos;
}

bool XmlPropertyListScanner::scan(std::string* error) {
  error_.clear();
  dates_.clear();
  integers_.clear();
  open_.clear();
  bool ok = true;
  if (std::size_t nul = nulPosition(); nul != npos) {
    ok = fail(nul, "it holds a NUL character");
    if (error) *error = error_;
    return false;
  }
  std::size_t position = 0;
  while (ok && (position = text_.find('<', position)) != npos) {
    std::string_view rest = text_.substr(position);
    std::size_t next;
    if (rest.starts_with("<!--")) {
      next = skipPast(position + 4, "-->");
      if (next == npos) ok = fail(position, "a comment is not closed");
    } else if (rest.starts_with("<![CDATA[")) {
      next = skipPast(position + 9, "]]>");
      if (next == npos) ok = fail(position, "a CDATA section is not closed");
    } else if (rest.starts_with("<!")) {
      next = skipDeclaration(position + 2);
      if (next == npos) ok = fail(position, "a declaration is not closed");
    } else if (rest.starts_with("<?")) {
      next = skipPast(position + 2, "?>");
      if (next == npos) ok = fail(position, "a processing instruction is not closed");
    } else {
      std::size_t end = tagEnd(position + 1);
      if (end == npos) {
        ok = fail(position, "a tag is not closed");
        break;
      }
      next = end + 1;
      ok = rest.starts_with("</") ? closeElement(position, end) : openElement(position, end);
    }
    position = next;
  }
  if (ok && !open_.empty())
    ok = fail(open_.back().second, "<" + std::string(open_.back().first) + "> is not closed");
  if (!ok && error) *error = error_;
  return ok;
}

}  // namespace kavro::platform::foundation
