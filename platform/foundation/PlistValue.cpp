#include "platform/foundation/PlistValue.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// NSString's boolValue: skip leading white space and one sign and any zeros; then
// "Y", "y", "T", "t" or a digit 1-9 means true.
bool stringBoolValue(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  while (i < text.size() && text[i] == '0') ++i;
  if (i >= text.size()) return false;
  char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace

std::string NSData::base64EncodedString() const {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t remaining = bytes.size() - i;
    std::uint32_t group = std::uint32_t(bytes[i]) << 16;
    if (remaining > 1) group |= std::uint32_t(bytes[i + 1]) << 8;
    if (remaining > 2) group |= bytes[i + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += remaining > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += remaining > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}

bool PlistValue::boolValue() const {
  switch (type()) {
    case Type::boolean: return *asBoolean();
    case Type::integer: return asLargeUnsignedInteger() || *asInteger() != 0;
    case Type::real: return *asReal() != 0;
    case Type::string: return stringBoolValue(*asString());
    default: return false;
  }
}

std::int64_t PlistValue::integerValue() const {
  switch (type()) {
    case Type::boolean: return *asBoolean() ? 1 : 0;
    case Type::integer:
      if (auto large = asLargeUnsignedInteger()) return static_cast<std::int64_t>(*large);
      return *asInteger();
    case Type::real: {
      double value = *asReal();
      if (!(value == value)) return 0;
      if (value >= 9.2e18) return INT64_MAX;
      if (value <= -9.2e18) return INT64_MIN;
      return static_cast<std::int64_t>(value);
    }
    case Type::string: return std::strtoll(asString()->c_str(), nullptr, 10);
    default: return 0;
  }
}

double PlistValue::doubleValue() const {
  switch (type()) {
    case Type::boolean: return *asBoolean() ? 1 : 0;
    case Type::integer:
      if (auto large = asLargeUnsignedInteger()) return static_cast<double>(*large);
      return static_cast<double>(*asInteger());
    case Type::real: return *asReal();
    case Type::string: return std::strtod(asString()->c_str(), nullptr);
    default: return 0;
  }
}

std::string PlistValue::stringOr(const std::string& fallback) const {
  const std::string* text = asString();
  return text ? *text : fallback;
}

const PlistValue& PlistValue::operator[](const std::string& key) const& {
  static const PlistValue nil;
  const Dictionary* dictionary = asDictionary();
  if (!dictionary) return nil;
  auto found = dictionary->find(key);
  return found == dictionary->end() ? nil : found->second;
}

int PlistValue::depth() const {
  int deepest = 0;
  if (const Array* array = asArray()) {
    for (auto& element : *array) deepest = std::max(deepest, element.depth());
    return deepest + 1;
  }
  if (const Dictionary* dictionary = asDictionary()) {
    for (auto& [key, element] : *dictionary) deepest = std::max(deepest, element.depth());
    return deepest + 1;
  }
  return 0;
}

const char* PlistValue::typeName(Type type) {
  switch (type) {
    case Type::nil: return "nil";
    case Type::boolean: return "boolean";
    case Type::integer: return "integer";
    case Type::real: return "real";
    case Type::string: return "string";
    case Type::data: return "data";
    case Type::date: return "date";
    case Type::array: return "array";
    case Type::dictionary: return "dictionary";
  }
  return "unknown";
}

bool operator==(const PlistValue& a, const PlistValue& b) {
  if (a.value_.index() != b.value_.index()) return false;
  if (const PlistValue::Array* left = a.asArray()) return left == b.asArray() || *left == *b.asArray();
  if (const PlistValue::Dictionary* left = a.asDictionary())
    return left == b.asDictionary() || *left == *b.asDictionary();
  return a.value_ == b.value_;
}
