#pragma once
// An identifier list as stored under one key of the domain: read from the store
// for every use and written back whole after every change, nothing kept between
// uses. Rows are the list's string elements in stored order; anything else an
// array holds (which the bundle never writes) is kept in place by every edit, and
// a value that is not an array reads as an empty list. Reading never writes.
//
// A read shares the stored array rather than copying it, and keeps no index of its
// own while every element is a string (the only lists the bundle writes), so the
// picker's many reads per reload cost little beyond the store's own.

#include "platform/foundation/PlistValue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kavro::store {

class KavroIdentifierList {
 public:
  // The list stored under `key` now.
  static KavroIdentifierList read(const std::string& key);
  // Removes the key (the picker's reset); a key that is already absent is left so,
  // and a domain without a file gets none.
  static void remove(const std::string& key);

  // Rows: the identifiers, in stored order.
  long count() const { return count_; }
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
  // The element index of a row that exists.
  std::size_t elementOf(long row) const;

  std::string key_;
  PlistValue value_;  // the stored array, or nil
  long count_ = 0;
  // The element index of each row; empty while every element is a string, when
  // row and element indices agree.
  std::vector<std::size_t> positions_;
};

}  // namespace kavro::store
