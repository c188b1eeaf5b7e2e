#include "platform/preferences/PSSpecifierList.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/preferences/PreferenceValues.h"

#include <array>
#include <cstdio>

namespace kavro::platform::preferences {

namespace {

// Keys the framework itself reads, with the value type it needs. Other keys
// ("subtitle", "lines", "iconImageSystem"...) belong to the bundle and are kept as
// they are. Numbers and booleans may be written as strings, as the old-style text
// form writes every value.
enum class Expected { string, number, boolean, array, numberOrString };
struct KnownKey {
  const char* key;
  Expected type;
};
constexpr std::array<KnownKey, 31> kKnownKeys{{
    {"label", Expected::string},          {"id", Expected::string},
    {"key", Expected::string},            {"defaults", Expected::string},
    {"action", Expected::string},         {"cellClass", Expected::string},
    {"detail", Expected::string},         {"footerText", Expected::string},
    {"PostNotification", Expected::string}, {"placeholder", Expected::string},
    {"keyboard", Expected::string},       {"url", Expected::string},
    {"icon", Expected::string},           {"headerCellClass", Expected::string},
    {"footerCellClass", Expected::string}, {"titlesDataSource", Expected::string},
    {"valuesDataSource", Expected::string}, {"staticTextMessage", Expected::string},
    {"height", Expected::number},         {"min", Expected::number},
    {"max", Expected::number},            {"segmentCount", Expected::number},
    {"enabled", Expected::boolean},       {"showValue", Expected::boolean},
    {"isSegmented", Expected::boolean},   {"isStaticText", Expected::boolean},
    {"isDecimalPad", Expected::boolean},  {"validTitles", Expected::array},
    {"validValues", Expected::array},     {"shortTitles", Expected::array},
    {"footerAlignment", Expected::numberOrString},
}};

bool hasType(const PlistValue& value, Expected type) {
  switch (type) {
    case Expected::string: return value.isString();
    case Expected::number: return numberFrom(value).has_value();
    case Expected::boolean: return booleanFrom(value).has_value();
    case Expected::array: return value.isArray();
    case Expected::numberOrString: return value.isString() || numberFrom(value).has_value();
  }
  return false;
}

const char* nameOf(Expected type) {
  switch (type) {
    case Expected::string: return "a string";
    case Expected::number: return "a number";
    case Expected::boolean: return "a boolean";
    case Expected::array: return "an array";
    case Expected::numberOrString: return "a number or a string";
  }
  return "?";
}

// "an integer", "a string": the type of a value, for messages.
std::string describe(const PlistValue& value) {
  const char* name = PlistValue::typeName(value.type());
  bool vowel = name[0] == 'a' || name[0] == 'i';
  return std::string(vowel ? "an " : "a ") + name;
}

void say(const std::string& source, std::size_t index, const std::string& what) {
  std::fprintf(stderr, "Preferences: %s: item %zu %s\n", source.c_str(), index, what.c_str());
}

// Drops the framework's keys whose values have the wrong type: such a value reads
// as absent, and the row still shows.
void dropMistypedKeys(PlistValue::Dictionary& item, const std::string& source, std::size_t index) {
  for (const KnownKey& known : kKnownKeys) {
    auto found = item.find(known.key);
    if (found == item.end() || hasType(found->second, known.type)) continue;
    say(source, index,
        std::string("has \"") + known.key + "\" as " + describe(found->second) + ", not " + nameOf(known.type) +
            "; it is ignored");
    item.erase(found);
  }
}

// The row type an item names, else the one its other keys suggest: a link row when
// it opens a page, a button row when it has an action, else a plain row.
PSCellType typeOfItem(const PlistValue::Dictionary& item, const std::string& source, std::size_t index,
                      bool& named) {
  auto cell = item.find("cell");
  named = false;
  if (cell != item.end() && cell->second.isString())
    if (auto type = PSSpecifier::cellTypeNamed(*cell->second.asString())) {
      named = true;
      return *type;
    }
  PSCellType inferred = item.count("detail")   ? PSCellType::link
                        : item.count("action") ? PSCellType::button
                                               : PSCellType::staticText;
  std::string why = cell == item.end()          ? "has no \"cell\""
                    : !cell->second.isString() ? "has \"cell\" as " + describe(cell->second)
                                               : "names the unknown cell type \"" + *cell->second.asString() + "\"";
  say(source, index, why + "; it is shown as " + PSSpecifier::nameOfCellType(inferred));
  return inferred;
}

void checkChoices(const PlistValue::Dictionary& item, const std::string& source, std::size_t index) {
  auto titles = item.find("validTitles"), values = item.find("validValues");
  if (titles == item.end() || values == item.end()) return;
  std::size_t titleCount = titles->second.asArray()->size(), valueCount = values->second.asArray()->size();
  if (titleCount != valueCount)
    say(source, index,
        "has " + std::to_string(titleCount) + " titles for " + std::to_string(valueCount) +
            " values; only the first " + std::to_string(std::min(titleCount, valueCount)) + " are choices");
}

// The row an item gives, or nullptr when it has nothing to show.
std::shared_ptr<PSSpecifier> rowOfItem(const PlistValue& entry, const std::string& source, std::size_t index) {
  const PlistValue::Dictionary* dictionary = entry.asDictionary();
  if (!dictionary) {
    say(source, index, "skipped: it is " + describe(entry) + ", not a dictionary");
    return nullptr;
  }
  PlistValue::Dictionary item = *dictionary;
  dropMistypedKeys(item, source, index);
  checkChoices(item, source, index);
  bool named = false;
  PSCellType type = typeOfItem(item, source, index, named);
  bool hasLabel = item.count("label") && !item.at("label").asString()->empty();
  if (!named && type == PSCellType::staticText && !hasLabel) {
    say(source, index, "skipped: it has no label, page or action to show");
    return nullptr;
  }
  return alloc<PSSpecifier>()->initWithProperties(type, std::move(item));
}

}  // namespace

SpecifierList specifierListFromPropertyList(const PlistValue& list, const std::string& source) {
  SpecifierList result;
  const PlistValue::Dictionary* top = list.asDictionary();
  if (!top) {
    std::fprintf(stderr, "Preferences: %s is %s, not a dictionary; it gives no rows\n", source.c_str(),
                 describe(list).c_str());
    return result;
  }
  const PlistValue& title = list["title"];
  if (title.isString())
    result.title = *title.asString();
  else if (!title.isNil())
    std::fprintf(stderr, "Preferences: %s: \"title\" is %s, not a string; ignored\n", source.c_str(),
                 describe(title).c_str());

  const PlistValue& items = list["items"];
  const PlistValue::Array* array = items.asArray();
  if (!array) {
    std::fprintf(stderr, "Preferences: %s: \"items\" is %s, not an array; the list gives no rows\n",
                 source.c_str(), items.isNil() ? "missing" : describe(items).c_str());
    return result;
  }
  for (std::size_t index = 0; index < array->size(); ++index)
    if (auto row = rowOfItem((*array)[index], source, index)) result.specifiers.push_back(std::move(row));
  return result;
}

SpecifierList loadSpecifierList(const std::string& iosPath) {
  std::string error;
  auto list = NSPropertyListSerialization::propertyListWithContentsOfFile(
      kavro::platform::Device::current().resolve(iosPath), &error);
  if (!list) {
    std::fprintf(stderr, "Preferences: cannot read the specifier list %s (%s); it gives no rows\n",
                 iosPath.c_str(), error.c_str());
    return {};
  }
  return specifierListFromPropertyList(*list, iosPath);
}

bool isSpecifierList(const std::string& iosPath) {
  auto list = NSPropertyListSerialization::propertyListWithContentsOfFile(
      kavro::platform::Device::current().resolve(iosPath));
  return list && list->isDictionary() && (*list)["items"].isArray();
}

}  // namespace kavro::platform::preferences
