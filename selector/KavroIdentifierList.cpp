#include "selector/KavroIdentifierList.h"

#include "store/KavroPreferences.h"

#include <algorithm>

namespace kavro::selector {

KavroIdentifierList KavroIdentifierList::read(const std::string& key) {
  KavroIdentifierList list;
  list.key_ = key;
  PlistValue stored = kavro::store::objectForKey(key);
  if (const PlistValue::Array* array = stored.asArray()) list.elements_ = *array;
  list.reindex();
  return list;
}

void KavroIdentifierList::reindex() {
  positions_.clear();
  identifiers_.clear();
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (const std::string* identifier = elements_[i].asString()) {
      positions_.push_back(i);
      identifiers_.push_back(*identifier);
    }
  }
}

std::optional<std::string> KavroIdentifierList::identifierAt(long row) const {
  if (row < 0 || row >= count()) return std::nullopt;
  return identifiers_[static_cast<std::size_t>(row)];
}

bool KavroIdentifierList::contains(const std::string& identifier) const {
  return std::find(identifiers_.begin(), identifiers_.end(), identifier) != identifiers_.end();
}

void KavroIdentifierList::append(const std::string& identifier) {
  elements_.push_back(PlistValue(identifier));
  reindex();
}

void KavroIdentifierList::removeAll(const std::string& identifier) {
  std::erase_if(elements_, [&](const PlistValue& element) {
    const std::string* text = element.asString();
    return text && *text == identifier;
  });
  reindex();
}

bool KavroIdentifierList::removeAt(long row) {
  if (row < 0 || row >= count()) return false;
  elements_.erase(elements_.begin() + static_cast<long>(positions_[static_cast<std::size_t>(row)]));
  reindex();
  return true;
}

bool KavroIdentifierList::move(long source, long destination) {
  if (source < 0 || source >= count()) return false;
  PlistValue moving = elements_[positions_[static_cast<std::size_t>(source)]];
  elements_.erase(elements_.begin() + static_cast<long>(positions_[static_cast<std::size_t>(source)]));
  reindex();
  // Insert before the element that is now row `destination`, or at the end.
  destination = std::max(0L, destination);
  std::size_t at = destination < count() ? positions_[static_cast<std::size_t>(destination)] : elements_.size();
  elements_.insert(elements_.begin() + static_cast<long>(at), std::move(moving));
  reindex();
  return true;
}

void KavroIdentifierList::write() const { kavro::store::setObject(PlistValue(elements_), key_); }

}  // namespace kavro::selector
