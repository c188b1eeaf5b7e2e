#pragma once
// A row of a table: section and row. A value type (the platform's is immutable).

#include <compare>
#include <string>

struct NSIndexPath {
  long section = 0;
  long row = 0;

  static NSIndexPath indexPathForRow(long row, long section) { return {section, row}; }
  friend bool operator==(const NSIndexPath&, const NSIndexPath&) = default;
  friend auto operator<=>(const NSIndexPath&, const NSIndexPath&) = default;
  std::string description() const {
    return "{" + std::to_string(section) + ", " + std::to_string(row) + "}";
  }
};
