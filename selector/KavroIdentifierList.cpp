#include "selector/KavroIdentifierList.h"

#include "store/KavroPreferences.h"

#include <algorithm>

namespace kavro::selector {

KavroIdentifierList KavroIdentifierList::read(const std::string& key) {
  KavroIdentifierList list;
  list.key_ = key;
  // The stored array is shared, not copied, until an edit changes this list.
  PlistValue stored = kavro::store::objectForKey(key);
  if (stored.isArray()) list.value_ = std::move(stored);
  list.reindex();
  return list;
}

const PlistValue::Array& KavroIdentifierList::elements() const {
  static const PlistValue::Array empty;
  const PlistValue::Array* array = value_.asArray();
  return array ? *array : empty;
}

void KavroIdentifierList::reindex() {
  positions_.clear();
  const auto& array = elements();
  for (std::size_t i = 0; i < array.size(); ++i)
    if (array[i].isString()) positions_.push_back(i);
}

const std::string& KavroIdentifierList::at(long row) const {
  return *elements()[positions_[static_cast<std::size_t>(row)]].asString();
}

std::optional<std::string> KavroIdentifierList::identifierAt(long row) const {
  if (row < 0 || row >= count()) return std::nullopt;
  return at(row);
}

bool KavroIdentifierList::contains(const std::string& identifier) const {
  for (long row = 0; row < count(); ++row)
    if (at(row) == identifier) return true;
  return false;
}

std::vector<std::string> KavroIdentifierList::identifiers() const {
  std::vector<std::string> list;
  for (long row = 0; row < count(); ++row) list.push_back(at(row));
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
  if (row < 0 || row >= count()) return false;
  auto& array = mutableElements();
  array.erase(array.begin() + static_cast<long>(positions_[static_cast<std::size_t>(row)]));
  reindex();
  return true;
}

bool KavroIdentifierList::move(long source, long destination) {
  if (source < 0 || source >= count()) return false;
  auto& array = mutableElements();
  PlistValue moving = array[positions_[static_cast<std::size_t>(source)]];
  array.erase(array.begin() + static_cast<long>(positions_[static_cast<std::size_t>(source)]));
  reindex();
  // Insert before the element that is now row `destination`, or at the end.
  destination = std::max(0L, destination);
  std::size_t at = destination < count() ? positions_[static_cast<std::size_t>(destination)] : array.size();
  array.insert(array.begin() + static_cast<long>(at), std::move(moving));
  reindex();
  return true;
}

void KavroIdentifierList::write() const {
  kavro::store::setObject(value_.isArray() ? value_ : PlistValue(PlistValue::Array{}), key_);
}

}  // namespace kavro::selector
