#pragma once
// Dates as the platform keeps them, seconds since 2001-01-01 00:00:00 UTC, to and
// from the proleptic Gregorian calendar in UTC and ISO 8601 text
// ("2023-03-08T20:26:40Z"), as property lists, dumps and tools show them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavro::platform::foundation {

struct CalendarTime {
  std::int64_t year = 2001;
  int month = 1;  // 1...12
  int day = 1;    // 1...31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int microsecond = 0;
};

class ReferenceDateCalendar {
 public:
  // Seconds from the Unix epoch to the platform's reference date.
  static constexpr std::int64_t kReferenceDateUnixTime = 978307200;

  // The UTC calendar time of a date, to the microsecond; nothing for a value that is
  // not finite or lies more than about 30 million years away.
  static std::optional<CalendarTime> calendarTime(double secondsSinceReferenceDate);
  static double secondsSinceReferenceDate(const CalendarTime& time);

  // "YYYY-MM-DDTHH:MM:SS[.ffffff]Z", with a time-zone offset ("+01:00") instead of
  // the Z also accepted, and surrounding white space ignored.
  static std::optional<double> parseISO8601(std::string_view text);
  // "YYYY-MM-DDTHH:MM:SSZ", with the fraction of a second (to the microsecond,
  // trailing zeros dropped) only when there is one.
  static std::optional<std::string> formatISO8601(double secondsSinceReferenceDate);
};

}  // namespace kavro::platform::foundation
