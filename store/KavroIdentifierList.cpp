#include "store/KavroIdentifierList.h"

#include "platform/foundation/NSUserDefaults.h"
#include "store/Preferences.h"

#include <algorithm>

namespace kavro::store {

KavroIdentifierList KavroIdentifierList::read(const std::string& key) {
  KavroIdentifierList list;
  list.key_ = key;
  PlistValue stored = NSUserDefaults::standardUserDefaults()->objectForKey(key, kDomain);
  if (stored.isArray()) list.value_ = std::move(stored);
  list.reindex();
  return list;
}

void KavroIdentifierList::remove(const std::string& key) {
  // Storing nil removes the key; the store writes nothing when it was absent.
  NSUserDefaults::standardUserDefaults()->setObject(PlistValue(), key, kDomain);
}

const PlistValue::Array& KavroIdentifierList::elements() const {
  static const PlistValue::Array empty;
  const PlistValue::Array* array = value_.asArray();
  return array ? *array : empty;
}

void KavroIdentifierList::reindex() {
  const auto& array = elements();
  positions_.clear();
  bool allStrings = std::all_of(array.begin(), array.end(), [](const PlistValue& element) { return element.isString(); });
  if (allStrings) {
    count_ = static_cast<long>(array.size());
    return;
  }
  for (std::size_t i = 0; i < array.size(); ++i)
    if (array[i].isString()) positions_.push_back(i);
  count_ = static_cast<long>(positions_.size());
}

std::size_t KavroIdentifierList::elementOf(long row) const {
  auto index = static_cast<std::size_t>(row);
  return positions_.empty() ? index : positions_[index];
}

std::optional<std::string> KavroIdentifierList::identifierAt(long row) const {
  if (row < 0 || row >= count_) return std::nullopt;
  return *elements()[elementOf(row)].asString();
}

bool KavroIdentifierList::contains(const std::string& identifier) const {
  const auto& array = elements();
  return std::any_of(array.begin(), array.end(), [&](const PlistValue& element) {
    const std::string* text = element.asString();
    return text && *text == identifier;
  });
}

std::vector<std::string> KavroIdentifierList::identifiers() const {
  std::vector<std::string> list;
  list.reserve(static_cast<std::size_t>(count_));
  for (long row = 0; row < count_; ++row) list.push_back(*elements()[elementOf(row)].asString());
  return list;
}

PlistValue::Array& KavroIdentifierList::mutableElements() {
  if (!value_.isArray()) value_ = PlistValue(PlistValue::Array{});
  return *value_.asArray();
}

void KavroIdentifierList::append(const std::string& identifier) {
  mutableElements().push_back(PlistValue(identifier));
  reindex();
}

void KavroIdentifierList::removeAll(const std::string& identifier) {
  std::erase_if(mutableElements(), [&](const PlistValue& element) {
    const std::string* text = element.asString();
    return text && *text == identifier;
  });
  reindex();
}

bool KavroIdentifierList::removeAt(long row) {
  if (row < 0 || row >= count_) return false;
  std::size_t element = elementOf(row);
  auto& array = mutableElements();
  array.erase(array.begin() + static_cast<long>(element));
  reindex();
  return true;
}

bool KavroIdentifierList::move(long source, long destination) {
  if (source < 0 || source >= count_) return false;
  std::size_t from = elementOf(source);
  auto& array = mutableElements();
  PlistValue moving = std::move(array[from]);
  array.erase(array.begin() + static_cast<long>(from));
  reindex();
  // Insert before the element that is now row `destination`, or at the end.
  destination = std::max(0L, destination);
  std::size_t at = destination < count_ ? elementOf(destination) : array.size();
  array.insert(array.begin() + static_cast<long>(at), std::move(moving));
  reindex();
  return true;
}

void KavroIdentifierList::write() const {
  NSUserDefaults::standardUserDefaults()->setObject(value_.isArray() ? value_ : PlistValue(PlistValue::Array{}), key_,
                                                   kDomain);
}

}  // namespace kavro::store
