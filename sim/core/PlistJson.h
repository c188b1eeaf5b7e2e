#pragma once
// Property-list values as JSON, the way the simulator's dump shows stored values:
// booleans, numbers, strings, arrays and objects as themselves, data as base64 text
// and dates as ISO 8601 UTC text, text that is not UTF-8 with U+FFFD in place of
// each ill-formed sequence. The way back serves scripts: text stays text.

#include "platform/foundation/PlistValue.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace kavro::sim {

class PlistJson {
 public:
  // nil, and reals and dates that are not finite, become null.
  static nlohmann::json toJson(const PlistValue& value);
  // Nothing, with the reason in `error`, for JSON nested deeper than property lists
  // may be, or holding values a property list cannot (null inside a container).
  // A top-level null gives nil. Integers from 2^63 to 2^64 - 1 stay integers.
  static std::optional<PlistValue> fromJson(const nlohmann::json& json, std::string* error = nullptr);

};

// JSON as the simulator writes it out (dump lines, web answers): on one line, with
// U+FFFD for any text that is not UTF-8, so that output never fails on stored data.
std::string jsonText(const nlohmann::json& value);

}  // namespace kavro::sim
