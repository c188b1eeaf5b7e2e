#include "sim/defaults/DateArgument.h"

#include "platform/foundation/ReferenceDateCalendar.h"

namespace kavro::defaults {

using kavro::platform::foundation::ReferenceDateCalendar;

std::optional<double> DateArgument::parse(const std::string& text) {
  // Every form is brought to ISO 8601, which the calendar reads.
  std::string iso = text;
  const std::size_t space = iso.find(' ');
  if (iso.find('T') == std::string::npos) {
    if (space == std::string::npos) {
      iso += "T00:00:00Z";  // a day alone
    } else {
      iso[space] = 'T';
      // "12:30:00 +0000": the offset follows the time without a space in ISO 8601.
      const std::size_t zone = iso.find(' ', space + 1);
      if (zone != std::string::npos && zone + 1 < iso.size() &&
          (iso[zone + 1] == '+' || iso[zone + 1] == '-' || iso[zone + 1] == 'Z'))
        iso.erase(zone, 1);
    }
  }
  // What is left must be the one form: no further space, no second 'T'.
  if (iso.find(' ') != std::string::npos || iso.find('T') != iso.rfind('T')) return std::nullopt;
  return ReferenceDateCalendar::parseISO8601(iso);
}

}  // namespace kavro::defaults
