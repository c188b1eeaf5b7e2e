#include "sim/defaults/ScalarArgument.h"

#include "sim/defaults/DateArgument.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kavro::defaults {

namespace {

std::string lowercaseAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::array<std::string_view, 8> kScalarTypes = {"-string", "-data", "-int",  "-integer",
                                                          "-float",  "-bool", "-boolean", "-date"};

}  // namespace

bool ScalarArgument::isScalarType(std::string_view flag) {
  return std::find(kScalarTypes.begin(), kScalarTypes.end(), flag) != kScalarTypes.end();
}

std::optional<PlistValue> ScalarArgument::parseBoolean(const std::string& text) {
  const std::string word = lowercaseAscii(text);
  if (word == "true" || word == "yes" || word == "1") return PlistValue(true);
  if (word == "false" || word == "no" || word == "0") return PlistValue(false);
  return std::nullopt;
}

std::optional<PlistValue> ScalarArgument::parseInteger(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const char* start = text.data() + (text.starts_with('+') ? 1 : 0);
  // from_chars takes a minus sign: after a plus sign there must be none.
  if (start != text.data() && start != end && *start == '-') return std::nullopt;
  auto result = std::from_chars(start, end, value);
  if (start == end || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return PlistValue(value);
}

std::optional<PlistValue> ScalarArgument::parseReal(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return PlistValue(value);
}

std::optional<PlistValue> ScalarArgument::parseData(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  NSData data;
  data.bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = hexDigitValue(text[i]);
    const int low = hexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    data.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return PlistValue(std::move(data));
}

std::optional<PlistValue> ScalarArgument::parse(std::string_view flag, const std::string& text,
                                                std::string& problem) {
  std::optional<PlistValue> value;
  const std::string quoted = "\"" + text + "\"";
  if (flag == "-string") return PlistValue(text);
  if (flag == "-bool" || flag == "-boolean") {
    value = parseBoolean(text);
    if (!value) problem = std::string(flag) + " takes true, false, yes, no, 1 or 0, not " + quoted;
  } else if (flag == "-int" || flag == "-integer") {
    value = parseInteger(text);
    if (!value) problem = std::string(flag) + " takes a whole number of 64 bits, not " + quoted;
  } else if (flag == "-float") {
    value = parseReal(text);
    if (!value) problem = "-float takes a finite number, not " + quoted;
  } else if (flag == "-data") {
    value = parseData(text);
    if (!value) problem = "-data takes pairs of hexadecimal digits (0fbd7777), not " + quoted;
  } else if (flag == "-date") {
    if (auto seconds = DateArgument::parse(text)) value = PlistValue(NSDate{*seconds});
    if (!value) problem = "-date takes a date such as 2024-05-01 12:30:00 +0000, not " + quoted;
  } else {
    problem = "unknown value type " + std::string(flag);
  }
  return value;
}

}  // namespace kavro::defaults
