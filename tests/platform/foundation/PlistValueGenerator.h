#pragma once
// Random property-list values for property tests, and their canonical description:
// the form the differential tests compare across readers (reals by their bits, so
// NaN equals itself; dates to the microsecond, as other readers keep them).

#include "platform/foundation/PlistValue.h"
#include "platform/foundation/Utf8Text.h"

#include <nlohmann/json.hpp>
#include <zlib.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

namespace kavro::test {

struct PlistGeneratorOptions {
  // What the target format can hold: XML has no NUL and no fraction of a second;
  // other readers have dates from year 1 to 9999 only.
  bool forXml = false;
  bool datesInCalendarYears = false;
  int maximumDepth = 4;
};

class PlistValueGenerator {
 public:
  PlistValueGenerator(std::uint32_t seed, PlistGeneratorOptions options) : random_(seed), options_(options) {}

  PlistValue value(int depth = 0) {
    const int kinds = depth < options_.maximumDepth ? 9 : 6;
    switch (pick(kinds)) {
      case 0: return PlistValue(pick(2) == 1);
      case 1: return integer();
      case 2: return PlistValue(real());
      case 3: return PlistValue(NSDate{date()});
      case 4: return PlistValue(data());
      case 5: return PlistValue(text());
      case 6:
      case 7: {
        PlistValue::Array array;
        for (int n = countOf({0, 1, 2, 5, 15, 16}); n > 0; --n) array.push_back(value(depth + 1));
        return PlistValue(std::move(array));
      }
      default: return PlistValue(dictionary(depth));
    }
  }

  PlistValue::Dictionary dictionary(int depth = 0) {
    PlistValue::Dictionary dictionary;
    for (int n = countOf({0, 1, 3, 15, 16}); n > 0; --n) dictionary[text()] = value(depth + 1);
    return dictionary;
  }

  std::string text() {
    static const char32_t* const kPools[] = {
        U"abcdefghijklmnopqrstuvwxyz ABCXYZ0123456789.-_", U"éèàçñöüßÆøå", U"αβγδεζηθλμνξπρσςτφχψωάέ",
        U"日本語中文한국어", U"\U0001F600\U0001F680\U0001D11E\U00010348", U"e\u0301a\u0300o\u0308\u200D",
        U"\t\n\r\x01\x1F\x7F",
    };
    std::u32string pool;
    for (int n = pick(3) + 1; n > 0; --n) pool += kPools[pick(7)];
    if (!options_.forXml && pick(10) == 0) pool.push_back(U'\0');
    std::string out;
    for (int n = countOf({0, 1, 3, 8, 14, 15, 16, 40}); n > 0; --n) kavro::platform::foundation::appendUtf8(out, pool[static_cast<std::size_t>(pick(static_cast<int>(pool.size())))]);
    return out;
  }

  PlistValue integer() {
    static const long long kEdges[] = {0, 1, -1, 14, 15, 16, 127, 128, 255, 256, 65535, 65536, 2147483647LL,
                                       4294967295LL, 4294967296LL, INT64_MAX, INT64_MIN, -129};
    switch (pick(4)) {
      case 0: return PlistValue(kEdges[pick(18)]);
      case 1: return PlistValue(static_cast<unsigned long long>(UINT64_MAX - static_cast<unsigned>(pick(3))));
      case 2: return PlistValue(static_cast<unsigned long long>(random64()));
      default: return PlistValue(static_cast<long long>(random64()));
    }
  }

  double real() {
    switch (pick(8)) {
      case 0: return 0.0;
      case 1: return -0.0;
      case 2: return pick(2) ? INFINITY : -INFINITY;
      case 3: return std::nan("");
      case 4: return 5e-324;
      case 5: return std::bit_cast<float>(static_cast<std::uint32_t>(random64()) & 0x7F7FFFFF);
      default: return std::ldexp(uniform(), pick(600) - 300);
    }
  }

  // Seconds since 2001, to the microsecond.
  double date() {
    constexpr double kYearOne = -63113904000, kYear9999 = 252423993599;
    if (!options_.datesInCalendarYears && !options_.forXml && pick(6) == 0) return pick(2) ? 1e300 : -4.5e15;
    double seconds;
    switch (pick(5)) {
      case 0: seconds = 3124137600; break;  // 2100-01-01
      case 1: seconds = pick(2) ? 2147483648.0 : -2147483649.0;
      break;
      default: seconds = std::floor(kYearOne + uniform() * (kYear9999 - kYearOne - 1));
    }
    if (options_.forXml) return seconds;
    return seconds + static_cast<double>(pick(1000000)) / 1e6;
  }

  NSData data() {
    NSData data;
    data.bytes.resize(static_cast<std::size_t>(countOf({0, 1, 14, 15, 16, 100})));
    for (auto& byte : data.bytes) byte = static_cast<std::uint8_t>(random_());
    return data;
  }

 private:
  int pick(int choices) { return static_cast<int>(random_() % static_cast<unsigned>(choices)); }
  int countOf(std::initializer_list<int> counts) { return *(counts.begin() + pick(static_cast<int>(counts.size()))); }
  std::uint64_t random64() { return (std::uint64_t(random_()) << 32) | random_(); }
  double uniform() { return static_cast<double>(random_()) / 4294967296.0; }

  std::mt19937 random_;
  PlistGeneratorOptions options_;
};

// [tag, value], the value moved in: a braced list would copy whole subtrees at
// every level of nesting.
inline nlohmann::json tagged(std::string tag, nlohmann::json&& value) {
  nlohmann::json pair = nlohmann::json::array();
  pair.push_back(std::move(tag));
  pair.push_back(std::move(value));
  return pair;
}

// The canonical description: ["int", "-12"], ["real", "<bits>"], ["date", "<µs>"]...
// With `exact`, dates are described by their bits too, for comparisons within this
// project, where nothing may be rounded.
inline nlohmann::json canonical(const PlistValue& value, bool exact = false) {
  using nlohmann::json;
  switch (value.type()) {
    case PlistValue::Type::nil: return json::array({"nil"});
    case PlistValue::Type::boolean: return json::array({"bool", *value.asBoolean()});
    case PlistValue::Type::integer:
      if (const std::uint64_t* large = value.asLargeUnsignedInteger()) return json::array({"int", std::to_string(*large)});
      return json::array({"int", std::to_string(*value.asInteger())});
    case PlistValue::Type::real: {
      char bits[17];
      std::snprintf(bits, sizeof bits, "%016llx",
                    static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(*value.asReal())));
      return json::array({"real", bits});
    }
    case PlistValue::Type::date: {
      if (exact) return json::array({"date", canonical(PlistValue(value.asDate()->timeIntervalSinceReferenceDate))[1]});
      // Whole seconds exactly, the fraction rounded half to even, as Python's timedelta does.
      const double seconds = value.asDate()->timeIntervalSinceReferenceDate;
      if (!std::isfinite(seconds) || std::abs(seconds) > 9e12) return json::array({"date", "out of range"});
      const double whole = std::trunc(seconds);
      const long long micro = static_cast<long long>(whole) * 1000000 + std::llrint((seconds - whole) * 1e6);
      return json::array({"date", std::to_string(micro)});
    }
    case PlistValue::Type::data: {
      const auto& bytes = value.asData()->bytes;
      if (bytes.size() > 4096) {
        // zlib's CRC-32, the one Python's zlib.crc32 computes for the peer.
        const auto crc = ::crc32_z(::crc32_z(0, nullptr, 0), bytes.data(), bytes.size());
        char text[64];
        std::snprintf(text, sizeof text, "%zu bytes, crc32 %08lx", bytes.size(), static_cast<unsigned long>(crc));
        return json::array({"data", text});
      }
      std::string hex;
      for (auto byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
      }
      return json::array({"data", hex});
    }
    case PlistValue::Type::string: return json::array({"str", *value.asString()});
    case PlistValue::Type::array: {
      json elements = json::array();
      for (const auto& element : *value.asArray()) elements.push_back(canonical(element, exact));
      return tagged("array", std::move(elements));
    }
    case PlistValue::Type::dictionary: {
      json entries = json::array();
      for (const auto& [key, element] : *value.asDictionary()) entries.push_back(tagged(key, canonical(element, exact)));
      return tagged("dict", std::move(entries));
    }
  }
  return nullptr;
}

}  // namespace kavro::test
