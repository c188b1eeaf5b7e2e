#include "platform/foundation/OldStylePropertyListReader.h"

#include "platform/foundation/Utf8Text.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace kavro::platform::foundation {

namespace {

constexpr auto npos = std::string_view::npos;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

constexpr std::array<bool, 256> unquotedCharacters() {
  std::array<bool, 256> table{};
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = true;
  for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = true;
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = true;
  for (char c : std::string_view("_$+/:.-")) table[static_cast<unsigned char>(c)] = true;
  return table;
}
constexpr std::array<bool, 256> kUnquoted = unquotedCharacters();

bool isUnquoted(char c) { return kUnquoted[static_cast<unsigned char>(c)]; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string codePointName(char32_t codePoint) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
  return name;
}

}  // namespace

OldStylePropertyListReader::OldStylePropertyListReader(std::string_view text, Limits limits)
    : text_(text), limits_(limits) {}

bool OldStylePropertyListReader::fail(std::size_t at, const std::string& reason) {
  if (error_.empty()) error_ = "line " + std::to_string(lineOf(at)) + ": " + reason;
  return false;
}

// Lines end at a line feed, a carriage return, or both in that order.
std::size_t OldStylePropertyListReader::lineOf(std::size_t at) const {
  std::size_t line = 1;
  const std::size_t end = std::min(at, text_.size());
  for (std::size_t i = 0; i < end; ++i)
    if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++line;
  return line;
}

// What stands at `at`, for an error message.
std::string OldStylePropertyListReader::found(std::size_t at) const {
  if (at >= text_.size()) return "the end of the text";
  const auto byte = static_cast<unsigned char>(text_[at]);
  if (byte > 0x20 && byte < 0x7F) return std::string("'") + static_cast<char>(byte) + "'";
  if (byte < 0x80) return codePointName(byte);
  // The character when the bytes are UTF-8, else the byte.
  for (std::size_t length = 2; length <= 4 && at + length <= text_.size(); ++length) {
    const std::string_view sequence = text_.substr(at, length);
    if (!isValidUtf8(sequence)) continue;
    char32_t codePoint = byte & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (sequence[k] & 0x3F);
    return "'" + std::string(sequence) + "' (" + codePointName(codePoint) + ")";
  }
  char name[48];
  std::snprintf(name, sizeof name, "the byte 0x%02X, which is not UTF-8", byte);
  return name;
}

// The key that starts at `at`, quoted and shortened for an error message.
std::string OldStylePropertyListReader::keyNamedAt(std::size_t at) {
  const std::size_t saved = position_;
  const std::string savedError = error_;
  position_ = at;
  std::string key;
  readString(key);
  position_ = saved;
  error_ = savedError;
  if (key.size() > 40) {
    key.resize(37);
    key += "...";
  }
  return "\"" + key + "\"";
}

bool OldStylePropertyListReader::skipSpace() {
  while (position_ < text_.size()) {
    const char c = text_[position_];
    if (isSpace(c)) {
      ++position_;
    } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '/') {
      const std::size_t end = text_.find_first_of("\r\n", position_ + 2);
      position_ = end == npos ? text_.size() : end;
    } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '*') {
      const std::size_t end = text_.find("*/", position_ + 2);
      if (end == npos) return fail(position_, "a /* comment is not closed (no */ follows)");
      position_ = end + 2;
    } else {
      return true;
    }
  }
  return true;
}

bool OldStylePropertyListReader::startsString() const {
  if (atEnd()) return false;
  const char c = text_[position_];
  return c == '"' || c == '\'' || isUnquoted(c);
}

// Whether the text is a strings file: its first value is a string followed by '='
// or ';'. Reads ahead and comes back; an error found on the way is found again.
bool OldStylePropertyListReader::startsStringsFile() {
  if (!startsString()) return false;
  const std::size_t saved = position_;
  std::string key;
  const bool isStringsFile = readString(key) && skipSpace() && !atEnd() &&
                             (text_[position_] == '=' || text_[position_] == ';');
  position_ = saved;
  error_.clear();
  return isStringsFile;
}

bool OldStylePropertyListReader::readString(std::string& out) {
  const char c = text_[position_];
  if (c == '"' || c == '\'') return readQuoted(out);
  const std::size_t start = position_;
  while (position_ < text_.size() && isUnquoted(text_[position_])) ++position_;
  out.assign(text_.data() + start, position_ - start);
  return true;
}

bool OldStylePropertyListReader::readQuoted(std::string& out) {
  const char quote = text_[position_];
  const std::size_t start = position_++;
  out.clear();
  while (true) {
    std::size_t run = position_;
    while (run < text_.size() && text_[run] != quote && text_[run] != '\\') ++run;
    out.append(text_.data() + position_, run - position_);
    position_ = run;
    if (atEnd()) return fail(start, std::string("a string is not closed (no ") + quote + " ends it)");
    if (text_[position_] == quote) {
      ++position_;
      return true;
    }
    if (!readEscape(out, start)) return false;
  }
}

// The escape at the backslash under the position.
bool OldStylePropertyListReader::readEscape(std::string& out, std::size_t stringStart) {
  const std::size_t backslash = position_++;
  if (atEnd()) return fail(stringStart, "a string is not closed (it ends in a backslash)");
  const char c = text_[position_];
  if (c >= '0' && c <= '7') {
    unsigned value = 0;
    for (int digits = 0; digits < 3 && !atEnd() && text_[position_] >= '0' && text_[position_] <= '7'; ++digits)
      value = value * 8 + static_cast<unsigned>(text_[position_++] - '0');
    if (value > 0377) return fail(backslash, "an octal escape is larger than \\377");
    appendUtf8(out, value);
    return true;
  }
  if (c == 'U') return readUnicodeEscape(out);
  ++position_;
  switch (c) {
    case 'a': out += '\a'; break;
    case 'b': out += '\b'; break;
    case 'f': out += '\f'; break;
    case 'n': out += '\n'; break;
    case 'r': out += '\r'; break;
    case 't': out += '\t'; break;
    case 'v': out += '\v'; break;
    // Any other character stands for itself: \" \' \\ and the rest.
    default: out += c; break;
  }
  return true;
}

// \U and one to four hexadecimal digits, a UTF-16 unit: a high surrogate followed
// by an escaped low surrogate makes one character.
bool OldStylePropertyListReader::readUnicodeEscape(std::string& out) {
  auto unitAt = [&](std::size_t at, std::size_t& end) {
    int unit = -1;
    for (end = at; end < text_.size() && end < at + 4 && hexValue(text_[end]) >= 0; ++end)
      unit = (unit < 0 ? 0 : unit * 16) + hexValue(text_[end]);
    return unit;
  };
  std::size_t end = 0;
  const int unit = unitAt(position_ + 1, end);
  if (unit < 0) return fail(position_, "\\U is not followed by hexadecimal digits");
  position_ = end;
  if (unit >= 0xD800 && unit < 0xDC00 && text_.substr(position_, 2) == "\\U") {
    std::size_t lowEnd = 0;
    const int low = unitAt(position_ + 2, lowEnd);
    if (low >= 0xDC00 && low < 0xE000) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00));
      position_ = lowEnd;
      return true;
    }
  }
  appendUtf8(out, static_cast<char32_t>(unit));
  return true;
}

bool OldStylePropertyListReader::readData(PlistValue& out) {
  const std::size_t start = position_++;
  NSData data;
  int pending = -1;
  for (; position_ < text_.size(); ++position_) {
    const char c = text_[position_];
    if (isSpace(c)) continue;
    if (c == '>') {
      if (pending >= 0) return fail(start, "data holds an odd number of hexadecimal digits");
      ++position_;
      out = PlistValue(std::move(data));
      return true;
    }
    const int digit = hexValue(c);
    if (digit < 0) return fail(position_, "expected a hexadecimal digit or '>' in data, found " + found(position_));
    if (pending < 0) {
      pending = digit;
    } else {
      data.bytes.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
      pending = -1;
    }
  }
  return fail(start, "data is not closed (no '>' ends it)");
}

bool OldStylePropertyListReader::countValue(std::size_t at) {
  if (++values_ > limits_.maximumObjects)
    return fail(at, "it holds more than " + std::to_string(limits_.maximumObjects) + " values");
  return true;
}

bool OldStylePropertyListReader::beginValue(std::optional<PlistValue>& completed, const char* expected) {
  const std::size_t at = position_;
  if (!atEnd() && text_[at] == '{') return open(Kind::dictionary);
  if (!atEnd() && text_[at] == '(') return open(Kind::array);
  if (!countValue(at)) return false;
  if (!atEnd() && text_[at] == '<') return readData(completed.emplace());
  if (!startsString()) return fail(at, std::string("expected ") + expected + ", found " + found(at));
  std::string text;
  if (!readString(text)) return false;
  completed.emplace(std::move(text));
  return true;
}

bool OldStylePropertyListReader::open(Kind kind) {
  if (frames_.size() + 1 > static_cast<std::size_t>(limits_.maximumDepth))
    return fail(position_, "it is nested deeper than " + std::to_string(limits_.maximumDepth) + " levels");
  if (!countValue(position_)) return false;
  frames_.push_back({.kind = kind, .openedAt = position_});
  if (kind != Kind::stringsFile) ++position_;
  return true;
}

void OldStylePropertyListReader::close() {
  Frame& frame = frames_.back();
  PlistValue value = frame.kind == Kind::array ? PlistValue(std::move(frame.elements))
                                               : PlistValue(std::move(frame.entries));
  frames_.pop_back();
  deliver(std::move(value));
}

void OldStylePropertyListReader::deliver(PlistValue value) {
  if (frames_.empty()) {
    root_ = std::move(value);
    return;
  }
  Frame& parent = frames_.back();
  if (parent.kind == Kind::array)
    parent.elements.push_back(std::move(value));
  else
    parent.entries.insert_or_assign(std::move(parent.key), std::move(value));
  parent.afterValue = true;
}

bool OldStylePropertyListReader::stepArray(Frame& frame) {
  const std::size_t at = position_;
  if (atEnd())
    return fail(at, "the text ends inside the array that starts on line " + std::to_string(lineOf(frame.openedAt)) +
                        " (expected ')')");
  if (frame.afterValue) {
    if (text_[at] == ',') {
      ++position_;
      frame.afterValue = false;
      return true;
    }
    if (text_[at] != ')') return fail(at, "expected ',' or ')' after an array element, found " + found(at));
  }
  if (text_[at] == ')') {
    ++position_;
    close();
    return true;
  }
  std::optional<PlistValue> element;
  if (!beginValue(element, "a value or ')'")) return false;
  if (element) deliver(std::move(*element));
  return true;
}

bool OldStylePropertyListReader::stepDictionary(Frame& frame) {
  const bool braced = frame.kind == Kind::dictionary;
  const std::size_t at = position_;
  if (atEnd() && braced)
    return fail(at, "the text ends inside the dictionary that starts on line " +
                        std::to_string(lineOf(frame.openedAt)) + " (expected '}')");
  if (frame.afterValue) {
    if (!atEnd() && text_[at] == ';') {
      ++position_;
      frame.afterValue = false;
      return true;
    }
    return fail(at, "expected ';' after the value of " + keyNamedAt(frame.keyAt) + ", found " + found(at));
  }
  if (braced ? text_[at] == '}' : atEnd()) {
    if (braced) ++position_;
    close();
    return true;
  }
  return readEntry(frame);
}

// A key, then '=' and the value, or (in a strings file) ';' alone.
bool OldStylePropertyListReader::readEntry(Frame& frame) {
  const bool braced = frame.kind == Kind::dictionary;
  const std::size_t at = position_;
  if (!startsString())
    return fail(at, std::string(braced ? "expected a key (a string) or '}'" : "expected a key (a string)") +
                        ", found " + found(at));
  frame.keyAt = at;
  if (!countValue(at) || !readString(frame.key) || !skipSpace()) return false;
  if (!braced && !atEnd() && text_[position_] == ';') {
    ++position_;
    std::string value = frame.key;
    frame.entries.insert_or_assign(std::move(frame.key), PlistValue(std::move(value)));
    return true;
  }
  if (atEnd() || text_[position_] != '=')
    return fail(position_, "expected '=' after the key " + keyNamedAt(at) + ", found " + found(position_));
  ++position_;
  if (!skipSpace()) return false;
  std::optional<PlistValue> value;
  if (!beginValue(value, "a value")) return false;
  // `frame` may have moved if a container opened; it delivers its value when it closes.
  if (value) deliver(std::move(*value));
  return true;
}

std::optional<PlistValue> OldStylePropertyListReader::read(std::string* error) {
  auto refuse = [&]() -> std::optional<PlistValue> {
    if (error) *error = error_;
    return std::nullopt;
  };
  if (!skipSpace()) return refuse();
  if (atEnd()) {
    if (error) error->clear();
    return PlistValue(PlistValue::Dictionary{});
  }
  if (startsStringsFile()) {
    if (!open(Kind::stringsFile)) return refuse();
  } else {
    std::optional<PlistValue> scalar;
    if (!beginValue(scalar, "a value (a string, '{', '(' or '<')")) return refuse();
    if (scalar) root_ = std::move(*scalar);
  }
  while (!frames_.empty()) {
    if (!skipSpace()) return refuse();
    Frame& frame = frames_.back();
    const bool ok = frame.kind == Kind::array ? stepArray(frame) : stepDictionary(frame);
    if (!ok) return refuse();
  }
  if (!skipSpace()) return refuse();
  if (!atEnd()) {
    fail(position_, "expected the end of the text after the property list, found " + found(position_));
    return refuse();
  }
  if (error) error->clear();
  return std::move(root_);
}

}  // namespace kavro::platform::foundation
