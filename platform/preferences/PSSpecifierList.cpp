#include "platform/preferences/PSSpecifierList.h"

#include "platform/device/Device.h"
#include "platform/foundation/NSPropertyListSerialization.h"

#include <array>
#include <cstdio>

namespace kavro::platform::preferences {

namespace {

// Keys the framework itself reads, with the value type it needs. Other keys
// ("subtitle", "lines", "iconImageSystem"...) belong to the bundle and are kept as
// they are.
enum class Expected { string, number, boolean };
struct KnownKey {
  const char* key;
  Expected type;
};
constexpr std::array<KnownKey, 11> kKnownKeys{{
    {"label", Expected::string},
    {"id", Expected::string},
    {"key", Expected::string},
    {"defaults", Expected::string},
    {"action", Expected::string},
    {"cellClass", Expected::string},
    {"detail", Expected::string},
    {"footerText", Expected::string},
    {"PostNotification", Expected::string},
    {"height", Expected::number},
    {"enabled", Expected::boolean},
}};

bool hasType(const PlistValue& value, Expected type) {
  switch (type) {
    case Expected::string: return value.isString();
    case Expected::number: return value.isInteger() || value.isReal();
    case Expected::boolean: return value.isBoolean();
  }
  return false;
}

const char* nameOf(Expected type) {
  switch (type) {
    case Expected::string: return "a string";
    case Expected::number: return "a number";
    case Expected::boolean: return "a boolean";
  }
  return "?";
}

// "an integer", "a string": the type of a value, for messages.
std::string describe(const PlistValue& value) {
  const char* name = PlistValue::typeName(value.type());
  bool vowel = name[0] == 'a' || name[0] == 'i';
  return std::string(vowel ? "an " : "a ") + name;
}

void skipItem(const std::string& source, std::size_t index, const std::string& reason) {
  std::fprintf(stderr, "Preferences: %s: item %zu skipped: %s\n", source.c_str(), index, reason.c_str());
}

// Why an item cannot be a row, or nullopt when it can.
std::optional<std::string> problemWithItem(const PlistValue::Dictionary& item) {
  auto cell = item.find("cell");
  if (cell == item.end()) return "it has no \"cell\"";
  if (!cell->second.isString())
    return "its \"cell\" is " + describe(cell->second) + ", not a string";
  if (!PSSpecifier::cellTypeNamed(*cell->second.asString()))
    return "unknown cell type \"" + *cell->second.asString() + "\"";
  for (const KnownKey& known : kKnownKeys) {
    auto found = item.find(known.key);
    if (found == item.end() || hasType(found->second, known.type)) continue;
    return std::string("its \"") + known.key + "\" is " + describe(found->second) + ", not " +
           nameOf(known.type);
  }
  return std::nullopt;
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
  for (std::size_t index = 0; index < array->size(); ++index) {
    const PlistValue::Dictionary* item = (*array)[index].asDictionary();
    if (!item) {
      skipItem(source, index, "it is " + describe((*array)[index]) + ", not a dictionary");
      continue;
    }
    if (auto problem = problemWithItem(*item)) {
      skipItem(source, index, *problem);
      continue;
    }
    PSCellType type = *PSSpecifier::cellTypeNamed(*item->at("cell").asString());
    result.specifiers.push_back(alloc<PSSpecifier>()->initWithProperties(type, *item));
  }
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

}  // namespace kavro::platform::preferences
