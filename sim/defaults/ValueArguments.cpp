#include "sim/defaults/ValueArguments.h"

#include "sim/defaults/PropertyListArgument.h"
#include "sim/defaults/ScalarArgument.h"

#include <array>
#include <string_view>

namespace kavro::defaults {

namespace {

constexpr std::array<std::string_view, 4> kContainerTypes = {"-array", "-array-add", "-dict", "-dict-add"};

bool isContainerType(std::string_view flag) {
  for (std::string_view type : kContainerTypes)
    if (flag == type) return true;
  return false;
}

}  // namespace

std::optional<PlistValue> ValueArguments::parseElement(Arguments arguments, std::size_t& next,
                                                       std::string& problem) {
  const std::string& first = arguments[next++];
  if (isContainerType(first)) {
    problem = first + " cannot stand inside an array or a dictionary; give a nested value as "
                      "property-list text, such as '(a, b)' or '{ a = 1; }'";
    return std::nullopt;
  }
  if (!ScalarArgument::isScalarType(first)) return PropertyListArgument::valueOrString(first);
  if (next == arguments.size()) {
    problem = first + " needs a value after it";
    return std::nullopt;
  }
  return ScalarArgument::parse(first, arguments[next++], problem);
}

std::optional<PlistValue::Array> ValueArguments::parseElements(Arguments arguments, std::string& problem) {
  PlistValue::Array elements;
  for (std::size_t next = 0; next < arguments.size();) {
    auto element = parseElement(arguments, next, problem);
    if (!element) return std::nullopt;
    elements.push_back(std::move(*element));
  }
  return elements;
}

std::optional<PlistValue::Dictionary> ValueArguments::parsePairs(Arguments arguments, std::string& problem) {
  PlistValue::Dictionary pairs;
  for (std::size_t next = 0; next < arguments.size();) {
    const std::string& key = arguments[next++];
    if (next == arguments.size()) {
      problem = "-dict and -dict-add take KEY VALUE pairs: the key \"" + key + "\" has no value";
      return std::nullopt;
    }
    auto element = parseElement(arguments, next, problem);
    if (!element) return std::nullopt;
    pairs.insert_or_assign(key, std::move(*element));
  }
  return pairs;
}

std::optional<PlistValue> ValueArguments::parseSingle(const std::string& type, Arguments values,
                                                      std::string& problem) {
  if (!type.starts_with('-')) {
    if (!values.empty()) {
      problem = "write DOMAIN KEY VALUE takes one value; use -array for several";
      return std::nullopt;
    }
    return PropertyListArgument::valueOrString(type);
  }
  if (!ScalarArgument::isScalarType(type)) {
    problem = "unknown value type " + type;
    return std::nullopt;
  }
  if (values.size() != 1) {
    problem = "write " + type + " takes exactly one value";
    return std::nullopt;
  }
  return ScalarArgument::parse(type, values[0], problem);
}

std::optional<ValueRequest> ValueArguments::parse(Arguments arguments, std::string& problem) {
  if (arguments.empty()) {
    problem = "write DOMAIN KEY needs a value";
    return std::nullopt;
  }
  const std::string& type = arguments[0];
  const Arguments rest = arguments.subspan(1);
  using Kind = ValueRequest::Kind;
  if (type == "-array" || type == "-array-add") {
    auto elements = parseElements(rest, problem);
    if (!elements) return std::nullopt;
    return ValueRequest{type == "-array" ? Kind::set : Kind::arrayAdd, PlistValue(std::move(*elements))};
  }
  if (type == "-dict" || type == "-dict-add") {
    auto pairs = parsePairs(rest, problem);
    if (!pairs) return std::nullopt;
    return ValueRequest{type == "-dict" ? Kind::set : Kind::dictionaryAdd, PlistValue(std::move(*pairs))};
  }
  auto value = parseSingle(type, rest, problem);
  if (!value) return std::nullopt;
  return ValueRequest{Kind::set, std::move(*value)};
}

}  // namespace kavro::defaults
