#include "sim/core/PlistJson.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/ReferenceDateCalendar.h"
#include "platform/foundation/Utf8Text.h"

#include <cmath>

namespace kavro::sim {

namespace {

// JSON holds only Unicode text: a stored string that is not UTF-8 shows with U+FFFD
// in place of each ill-formed sequence (what is stored stays as it is).
std::string text(const std::string& stored) {
  return kavro::platform::foundation::isValidUtf8(stored) ? stored : kavro::platform::foundation::repairedUtf8(stored);
}

bool fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

bool convert(const nlohmann::json& json, int depth, PlistValue& out, std::string* error) {
  using Type = nlohmann::json::value_t;
  switch (json.type()) {
    case Type::boolean: out = PlistValue(json.get<bool>()); return true;
    case Type::number_integer: out = PlistValue(json.get<long long>()); return true;
    case Type::number_unsigned: out = PlistValue(json.get<unsigned long long>()); return true;
    case Type::number_float: out = PlistValue(json.get<double>()); return true;
    case Type::string: out = PlistValue(json.get<std::string>()); return true;
    case Type::binary: out = PlistValue(NSData{json.get_binary()}); return true;
    case Type::array:
    case Type::object: {
      if (depth + 1 > NSPropertyListSerialization::kMaximumDepth)
        return fail(error, "the JSON is nested deeper than " +
                               std::to_string(NSPropertyListSerialization::kMaximumDepth) + " levels");
      if (json.is_array()) {
        PlistValue::Array array;
        array.reserve(json.size());
        for (const auto& element : json) {
          if (element.is_null()) return fail(error, "an array holds null, which a property list cannot");
          if (!convert(element, depth + 1, array.emplace_back(), error)) return false;
        }
        out = PlistValue(std::move(array));
      } else {
        PlistValue::Dictionary dictionary;
        for (const auto& [key, element] : json.items()) {
          if (element.is_null())
            return fail(error, "the member \"" + key + "\" is null, which a property list cannot hold");
          if (!convert(element, depth + 1, dictionary[key], error)) return false;
        }
        out = PlistValue(std::move(dictionary));
      }
      return true;
    }
    case Type::null: out = PlistValue(); return true;
    default: return fail(error, "the JSON holds a value that is not a property-list value");
  }
}

}  // namespace

nlohmann::json PlistJson::toJson(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::nil: return nullptr;
    case PlistValue::Type::boolean: return *value.asBoolean();
    case PlistValue::Type::integer:
      if (const std::uint64_t* large = value.asLargeUnsignedInteger()) return *large;
      return *value.asInteger();
    case PlistValue::Type::real:
      if (!std::isfinite(*value.asReal())) return nullptr;
      return *value.asReal();
    case PlistValue::Type::string: return text(*value.asString());
    case PlistValue::Type::data: return value.asData()->base64EncodedString();
    case PlistValue::Type::date: {
      auto text = kavro::platform::foundation::ReferenceDateCalendar::formatISO8601(
          value.asDate()->timeIntervalSinceReferenceDate);
      return text ? nlohmann::json(*text) : nlohmann::json(nullptr);
    }
    case PlistValue::Type::array: {
      nlohmann::json array = nlohmann::json::array();
      for (const auto& element : *value.asArray()) array.push_back(toJson(element));
      return array;
    }
    case PlistValue::Type::dictionary: {
      nlohmann::json object = nlohmann::json::object();
      for (const auto& [key, element] : *value.asDictionary()) object[text(key)] = toJson(element);
      return object;
    }
  }
  return nullptr;
}

std::optional<PlistValue> PlistJson::fromJson(const nlohmann::json& json, std::string* error) {
  PlistValue value;
  if (!convert(json, 0, value, error)) return std::nullopt;
  if (error) error->clear();
  return value;
}

std::string jsonText(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace kavro::sim
