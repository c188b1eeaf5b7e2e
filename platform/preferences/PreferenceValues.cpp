#include "platform/preferences/PreferenceValues.h"

#include "platform/preferences/PSListController.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavro::platform::preferences {

namespace {

std::string trimmed(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::optional<double> numberInText(const std::string& text) {
  std::string number = trimmed(text);
  if (number.empty()) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The strings of an array entry of a row, numbers written out; others empty, so
// that every entry keeps its place.
std::vector<std::string> textsOf(const PlistValue& list) {
  std::vector<std::string> texts;
  if (const PlistValue::Array* array = list.asArray())
    for (const PlistValue& entry : *array) texts.push_back(textFrom(entry).value_or(""));
  return texts;
}

}  // namespace

std::optional<double> numberFrom(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::integer: return value.doubleValue();
    case PlistValue::Type::real:
      if (std::isfinite(*value.asReal())) return *value.asReal();
      return std::nullopt;
    case PlistValue::Type::string: return numberInText(*value.asString());
    default: return std::nullopt;
  }
}

std::optional<bool> booleanFrom(const PlistValue& value) {
  switch (value.type()) {
    case PlistValue::Type::boolean: return *value.asBoolean();
    case PlistValue::Type::integer:
    case PlistValue::Type::real: return value.doubleValue() != 0;
    case PlistValue::Type::string: {
      std::string word = lowercase(trimmed(*value.asString()));
      if (word == "yes" || word == "true") return true;
      if (word == "no" || word == "false") return false;
      if (auto number = numberInText(word)) return *number != 0;
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

std::optional<std::string> textFrom(const PlistValue& value) {
  if (value.isString()) return *value.asString();
  if (value.isInteger() || value.isReal())
    if (auto number = numberFrom(value)) return formatNumber(*number);
  return std::nullopt;
}

std::string formatNumber(double value) {
  if (!std::isfinite(value)) return "";
  double rounded = std::round(value * 100) / 100;
  char text[64];
  if (std::floor(rounded) == rounded && std::abs(rounded) < 1e15) {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(rounded));
  } else {
    std::snprintf(text, sizeof text, "%.2f", rounded);
    std::string written(text);
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    return written;
  }
  std::string written(text);
  return written == "-0" ? "0" : written;
}

bool sameChoice(const PlistValue& a, const PlistValue& b) {
  if (a == b) return true;
  if (a.isBoolean() || b.isBoolean()) {
    auto first = booleanFrom(a), second = booleanFrom(b);
    return first && second && *first == *second;
  }
  auto first = numberFrom(a), second = numberFrom(b);
  return first && second && *first == *second;
}

Choices choicesOf(const PSSpecifier& specifier) {
  Choices choices;
  PlistValue titles = specifier.propertyForKey("validTitles");
  PlistValue values = specifier.propertyForKey("validValues");
  choices.titles = textsOf(titles);
  choices.shortTitles = textsOf(specifier.propertyForKey("shortTitles"));
  if (const PlistValue::Array* array = values.asArray()) choices.values = *array;
  if (!titles.isArray() && values.isArray()) choices.titles = textsOf(values);
  if (titles.isArray() && !values.isArray())
    for (const std::string& title : choices.titles) choices.values.emplace_back(title);
  choices.fromCode = !titles.isArray() && !values.isArray() &&
                     (specifier.propertyForKey("titlesDataSource").isString() ||
                      specifier.propertyForKey("valuesDataSource").isString());
  return choices;
}

long indexOfChoice(const Choices& choices, const PlistValue& value) {
  if (value.isNil()) return -1;
  for (std::size_t index = 0; index < choices.count(); ++index)
    if (sameChoice(choices.values[index], value)) return static_cast<long>(index);
  return -1;
}

PlistValue acceptedValue(const PSSpecifier& specifier, const PlistValue& value) {
  if (value.isNil()) return {};
  switch (specifier.cellType()) {
    case PSCellType::switchCell: {
      auto on = booleanFrom(value);
      return on ? PlistValue(*on) : PlistValue();
    }
    case PSCellType::slider: {
      auto number = numberFrom(value);
      return number ? PlistValue(*number) : PlistValue();
    }
    case PSCellType::editText:
    case PSCellType::secureEditText: return value.isString() ? value : PlistValue();
    case PSCellType::segment:
    case PSCellType::linkList:
    case PSCellType::title: {
      Choices choices = choicesOf(specifier);
      if (specifier.cellType() == PSCellType::title && choices.count() == 0)
        return value.isString() || value.isNumber() ? value : PlistValue();
      long index = indexOfChoice(choices, value);
      return index < 0 ? PlistValue() : choices.values[static_cast<std::size_t>(index)];
    }
    default: return value;
  }
}

PlistValue boundValue(PSListController& controller, const std::shared_ptr<PSSpecifier>& specifier) {
  if (!specifier) return {};
  PlistValue read = controller.readPreferenceValue(specifier);
  PlistValue accepted = acceptedValue(*specifier, read);
  if (accepted.isNil() && !(read == specifier->defaultValue()))
    accepted = acceptedValue(*specifier, specifier->defaultValue());
  return accepted;
}

std::string detailTextForValue(const PSSpecifier& specifier, const PlistValue& value) {
  Choices choices = choicesOf(specifier);
  if (choices.count() > 0) {
    long index = indexOfChoice(choices, value);
    if (index < 0) return "";
    auto at = static_cast<std::size_t>(index);
    bool useShort = specifier.cellType() == PSCellType::linkList && at < choices.shortTitles.size() &&
                    !choices.shortTitles[at].empty();
    return useShort ? choices.shortTitles[at] : choices.titles[at];
  }
  if (value.isBoolean()) return *value.asBoolean() ? "On" : "Off";
  return textFrom(value).value_or("");
}

}  // namespace kavro::platform::preferences
