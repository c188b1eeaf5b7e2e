#include "platform/foundation/OldStylePropertyListWriter.h"

#include "platform/foundation/ReferenceDateCalendar.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

namespace kavro::platform::foundation {

namespace {

constexpr int kIndentStep = 4;
constexpr char kHexDigits[] = "0123456789abcdef";

bool isPlainWord(const std::string& text) {
  if (text.empty()) return false;
  for (unsigned char c : text)
    if (!(std::isalnum(c) && c < 0x80) && c != '_') return false;
  return true;
}

// The next code point of UTF-8 text; a byte that starts no valid sequence stands
// for itself.
std::uint32_t nextCodePoint(const std::string& text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                       : (lead & 0xF8) == 0xF0 ? 4 : 1;
  if (length == 1 || i + length > text.size()) {
    ++i;
    return lead;
  }
  std::uint32_t codePoint = lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return lead;
    }
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  i += length;
  return codePoint;
}

void appendUnicodeEscape(std::string& out, std::uint32_t unit) {
  char escape[16];
  std::snprintf(escape, sizeof escape, "\\U%04x", static_cast<unsigned>(unit));
  out += escape;
}

std::string formatReal(double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string formatDate(double seconds) {
  auto time = ReferenceDateCalendar::calendarTime(seconds);
  if (!time) return "\"invalid date\"";
  char text[64];
  std::snprintf(text, sizeof text, "\"%04lld-%02d-%02d %02d:%02d:%02d +0000\"",
                static_cast<long long>(time->year), time->month, time->day, time->hour,
                time->minute, time->second);
  return text;
}

// As NSData describes itself: {length = 3, bytes = 0x0fbd77}.
std::string dataDescription(const std::vector<std::uint8_t>& bytes) {
  std::string text = "{length = " + std::to_string(bytes.size()) + ", bytes = 0x";
  for (std::uint8_t byte : bytes) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 15];
  }
  return text + "}";
}

// The property-list form: <0fbd7777 0102>, a space after every four bytes.
std::string dataText(const std::vector<std::uint8_t>& bytes) {
  std::string text = "<";
  text.reserve(bytes.size() * 2 + bytes.size() / 4 + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % 4 == 0) text += ' ';
    text += kHexDigits[bytes[i] >> 4];
    text += kHexDigits[bytes[i] & 15];
  }
  return text + ">";
}

// A string bare when it is a plain word (unless `always`), quoted otherwise.
std::string quotedText(const std::string& text, bool always) {
  if (!always && isPlainWord(text)) return text;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t c = nextCodePoint(text, i);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += static_cast<char>(c);
        } else if (c >= 0x10000) {
          appendUnicodeEscape(out, 0xD800 + ((c - 0x10000) >> 10));
          appendUnicodeEscape(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
          appendUnicodeEscape(out, c);
        }
    }
  }
  return out + "\"";
}

enum class DataForm { description, propertyList };

// Writes arrays and dictionaries with a stack of their own, so that nesting costs
// no recursion.
class Writer {
 public:
  explicit Writer(DataForm dataForm) : dataForm_(dataForm) {}

  std::string write(const PlistValue& root) {
    begin(root, 0);
    while (!frames_.empty()) step();
    return std::move(out_);
  }

 private:
  struct Frame {
    const PlistValue::Array* array = nullptr;
    const PlistValue::Dictionary* dictionary = nullptr;
    std::size_t next = 0;
    PlistValue::Dictionary::const_iterator entry;
    int indent = 0;
  };

  // Writes a scalar whole, or the opening of a container, which then goes on the stack.
  void begin(const PlistValue& value, int indent) {
    if (const auto* array = value.asArray()) {
      out_ += "(\n";
      frames_.push_back({.array = array, .indent = indent});
    } else if (const auto* dictionary = value.asDictionary()) {
      out_ += "{\n";
      frames_.push_back({.dictionary = dictionary, .entry = dictionary->begin(), .indent = indent});
    } else {
      appendScalar(value);
      finishValue();
    }
  }

  // Writes the next element of the innermost container, or closes it.
  void step() {
    Frame& frame = frames_.back();
    const int indent = frame.indent;
    const std::string inner(static_cast<std::size_t>(indent + kIndentStep), ' ');
    if (frame.array) {
      if (frame.next == frame.array->size()) {
        out_ += (frame.next == 0 ? "" : "\n") + std::string(static_cast<std::size_t>(indent), ' ') + ")";
        frames_.pop_back();
        finishValue();
        return;
      }
      if (frame.next > 0) out_ += ",\n";
      out_ += inner;
      begin((*frame.array)[frame.next++], indent + kIndentStep);
      return;
    }
    if (frame.entry == frame.dictionary->end()) {
      out_ += std::string(static_cast<std::size_t>(indent), ' ') + "}";
      frames_.pop_back();
      finishValue();
      return;
    }
    const auto& [key, element] = *frame.entry++;
    out_ += inner + OldStylePropertyListWriter::quoted(key) + " = ";
    begin(element, indent + kIndentStep);
  }

  // A value inside a dictionary ends with a semicolon.
  void finishValue() {
    if (!frames_.empty() && frames_.back().dictionary) out_ += ";\n";
  }

  void appendScalar(const PlistValue& value) {
    switch (value.type()) {
      case PlistValue::Type::nil: out_ += "(null)"; break;
      case PlistValue::Type::boolean: out_ += *value.asBoolean() ? "1" : "0"; break;
      // Numbers are written as their text, which like any string is quoted unless it
      // is a plain word: 5 stays bare, -5 and 2.5 are quoted.
      case PlistValue::Type::integer:
        if (const std::uint64_t* large = value.asLargeUnsignedInteger())
          out_ += OldStylePropertyListWriter::quoted(std::to_string(*large));
        else
          out_ += OldStylePropertyListWriter::quoted(std::to_string(*value.asInteger()));
        break;
      case PlistValue::Type::real: out_ += OldStylePropertyListWriter::quoted(formatReal(*value.asReal())); break;
      case PlistValue::Type::string: out_ += OldStylePropertyListWriter::quoted(*value.asString()); break;
      case PlistValue::Type::data:
        out_ += dataForm_ == DataForm::description ? dataDescription(value.asData()->bytes)
                                                   : dataText(value.asData()->bytes);
        break;
      case PlistValue::Type::date: out_ += formatDate(value.asDate()->timeIntervalSinceReferenceDate); break;
      case PlistValue::Type::array:
      case PlistValue::Type::dictionary: break;
    }
  }

  DataForm dataForm_;
  std::vector<Frame> frames_;
  std::string out_;
};

}  // namespace

std::string OldStylePropertyListWriter::quoted(const std::string& text) { return quotedText(text, false); }

std::string OldStylePropertyListWriter::description(const PlistValue& value) {
  return Writer(DataForm::description).write(value);
}

std::string OldStylePropertyListWriter::write(const PlistValue& value) {
  // A text that starts with "bplist" is read as a binary property list: a string
  // alone is always quoted.
  if (const std::string* text = value.asString()) return quotedText(*text, true);
  return Writer(DataForm::propertyList).write(value);
}

}  // namespace kavro::platform::foundation
