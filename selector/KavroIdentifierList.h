#pragma once
// An identifier list as stored under one key of the domain, read fresh for every
// use and written back whole after every change. Rows are the list's string
// elements in stored order; anything else an array holds (which the bundle never
// writes) is kept in place by every edit, and a value that is not an array reads
// as an empty list. Reading never writes anything.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kavro::selector {

class KavroIdentifierList {
 public:
  // The list stored under `key` now.
  static KavroIdentifierList read(const std::string& key);

  const std::string& key() const { return key_; }
  // Rows: the identifiers, in stored order.
  long count() const { return static_cast<long>(positions_.size()); }
  // The identifier of a row; nullopt for a row the list does not have (another
  // process may have shortened it since the table counted its rows).
  std::optional<std::string> identifierAt(long row) const;
  bool contains(const std::string& identifier) const;
  std::vector<std::string> identifiers() const;

  // Edits of this copy; write() stores it.
  void append(const std::string& identifier);
  // Removes every occurrence of the identifier.
  void removeAll(const std::string& identifier);
  // Removes the one element of a row; false for a row the list does not have.
  bool removeAt(long row);
  // Takes a row out and inserts it at `destination`, counted after the removal; a
  // destination past the end means the end. False for a source row the list does
  // not have.
  bool move(long source, long destination);
  // Stores the whole list as an array under the key.
  void write() const;

 private:
  void reindex();
  const PlistValue::Array& elements() const;
  PlistValue::Array& mutableElements();
  const std::string& at(long row) const;

  std::string key_;
  PlistValue value_;                    // the stored array, or nil
  std::vector<std::size_t> positions_;  // element index of each row
};

}  // namespace kavro::selector
