#include "sim/defaults/OldStylePlistFormatter.h"

#include "platform/foundation/ReferenceDateCalendar.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace kavro::defaults {

namespace {

constexpr int kIndentStep = 4;

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
  auto time = kavro::platform::foundation::ReferenceDateCalendar::calendarTime(seconds);
  if (!time) return "\"invalid date\"";
  char text[64];
  std::snprintf(text, sizeof text, "\"%04lld-%02d-%02d %02d:%02d:%02d +0000\"",
                static_cast<long long>(time->year), time->month, time->day, time->hour,
                time->minute, time->second);
  return text;
}

std::string formatData(const std::vector<std::uint8_t>& bytes) {
  std::string text = "{length = " + std::to_string(bytes.size()) + ", bytes = 0x";
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::uint8_t byte : bytes) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text + "}";
}

}  // namespace

std::string OldStylePlistFormatter::quoted(const std::string& text) {
  if (isPlainWord(text)) return text;
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

void OldStylePlistFormatter::append(std::string& out, const PlistValue& value, int indent) {
  const std::string inner(static_cast<std::size_t>(indent + kIndentStep), ' ');
  const std::string outer(static_cast<std::size_t>(indent), ' ');
  switch (value.type()) {
    case PlistValue::Type::nil: out += "(null)"; break;
    case PlistValue::Type::boolean: out += *value.asBoolean() ? "1" : "0"; break;
    // Numbers are written as their text, which like any string is quoted unless it
    // is a plain word: 5 stays bare, -5 and 2.5 are quoted.
    case PlistValue::Type::integer:
      if (const std::uint64_t* large = value.asLargeUnsignedInteger())
        out += quoted(std::to_string(*large));
      else
        out += quoted(std::to_string(*value.asInteger()));
      break;
    case PlistValue::Type::real: out += quoted(formatReal(*value.asReal())); break;
    case PlistValue::Type::string: out += quoted(*value.asString()); break;
    case PlistValue::Type::data: out += formatData(value.asData()->bytes); break;
    case PlistValue::Type::date: out += formatDate(value.asDate()->timeIntervalSinceReferenceDate); break;
    case PlistValue::Type::array: {
      out += "(\n";
      bool first = true;
      for (const PlistValue& element : *value.asArray()) {
        if (!first) out += ",\n";
        first = false;
        out += inner;
        append(out, element, indent + kIndentStep);
      }
      out += (first ? "" : "\n") + outer + ")";
      break;
    }
    case PlistValue::Type::dictionary: {
      out += "{\n";
      for (const auto& [key, element] : *value.asDictionary()) {
        out += inner + quoted(key) + " = ";
        append(out, element, indent + kIndentStep);
        out += ";\n";
      }
      out += outer + "}";
      break;
    }
  }
}

std::string OldStylePlistFormatter::format(const PlistValue& value) {
  std::string out;
  append(out, value, 0);
  return out;
}

}  // namespace kavro::defaults
