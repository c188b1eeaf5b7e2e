#pragma once
// The date of `-date DATE`, in one of these forms:
//   2024-05-01 12:30:00 +0000   what `read` prints (the offset also as +00:00 or Z)
//   2024-05-01T12:30:00Z        ISO 8601, with a fraction of a second and an offset
//                               (+02:00, +0200) allowed in place of the Z
//   2024-05-01 12:30:00         a time without a zone is UTC, the device's zone
//   2024-05-01                  midnight UTC
// Years have four digits or more; a second of 60 (a leap second) is the next
// minute's first.

#include <optional>
#include <string>

namespace kavro::defaults {

class DateArgument {
 public:
  // Seconds since the reference date; nothing when `text` is no date of those forms.
  static std::optional<double> parse(const std::string& text);
};

}  // namespace kavro::defaults
