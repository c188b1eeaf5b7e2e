#include "platform/foundation/ReferenceDateCalendar.h"

#include <cmath>
#include <cstdio>

namespace kavro::platform::foundation {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Years beyond this are refused so that every intermediate result fits in 64 bits.
constexpr std::int64_t kMaximumYear = 30'000'000;

// Days from 1970-01-01 to the given civil date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, CalendarTime& time) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  time.year = yearOfEra + era * 400 + (time.month <= 2);
}

bool isLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// A small cursor over the text being parsed.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool atEnd() const { return position_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[position_]; }
  bool consume(char c) {
    if (peek() != c) return false;
    ++position_;
    return true;
  }
  // Exactly `count` digits (or at least `count` when `atLeast`).
  std::optional<std::int64_t> digits(int count, bool atLeast = false) {
    std::int64_t value = 0;
    int read = 0;
    while (!atEnd() && peek() >= '0' && peek() <= '9' && (atLeast || read < count)) {
      if (read >= 9) return std::nullopt;
      value = value * 10 + (peek() - '0');
      ++position_;
      ++read;
    }
    if (read < count) return std::nullopt;
    return value;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

std::string_view trimmed(std::string_view text) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<CalendarTime> ReferenceDateCalendar::calendarTime(double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) > kMaximumYear * 366.0 * kSecondsPerDay)
    return std::nullopt;
  double whole = std::floor(seconds);
  std::int64_t microseconds = std::llround((seconds - whole) * 1e6);
  std::int64_t unixSeconds = static_cast<std::int64_t>(whole) + kReferenceDateUnixTime;
  if (microseconds >= 1'000'000) {
    microseconds -= 1'000'000;
    unixSeconds += 1;
  }
  std::int64_t days = unixSeconds / kSecondsPerDay;
  std::int64_t secondOfDay = unixSeconds % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    days -= 1;
  }
  CalendarTime time;
  civilFromDays(days, time);
  time.hour = static_cast<int>(secondOfDay / 3600);
  time.minute = static_cast<int>(secondOfDay / 60 % 60);
  time.second = static_cast<int>(secondOfDay % 60);
  time.microsecond = static_cast<int>(microseconds);
  return time;
}

double ReferenceDateCalendar::secondsSinceReferenceDate(const CalendarTime& time) {
  std::int64_t days = daysFromCivil(time.year, time.month, time.day);
  std::int64_t unixSeconds = days * kSecondsPerDay + time.hour * 3600 + time.minute * 60 + time.second;
  return static_cast<double>(unixSeconds - kReferenceDateUnixTime) + time.microsecond / 1e6;
}

std::optional<double> ReferenceDateCalendar::parseISO8601(std::string_view text) {
  Reader reader(trimmed(text));
  CalendarTime time;
  bool negativeYear = reader.consume('-');
  auto year = reader.digits(4, true);
  if (!year || *year > kMaximumYear || !reader.consume('-')) return std::nullopt;
  time.year = negativeYear ? -*year : *year;
  auto month = reader.digits(2);
  if (!month || *month < 1 || *month > 12 || !reader.consume('-')) return std::nullopt;
  time.month = static_cast<int>(*month);
  auto day = reader.digits(2);
  if (!day || *day < 1 || *day > daysInMonth(time.year, time.month)) return std::nullopt;
  time.day = static_cast<int>(*day);
  if (!reader.consume('T')) return std::nullopt;
  auto hour = reader.digits(2);
  if (!hour || *hour > 23 || !reader.consume(':')) return std::nullopt;
  auto minute = reader.digits(2);
  if (!minute || *minute > 59 || !reader.consume(':')) return std::nullopt;
  auto second = reader.digits(2);
  if (!second || *second > 60) return std::nullopt;
  time.hour = static_cast<int>(*hour);
  time.minute = static_cast<int>(*minute);
  time.second = static_cast<int>(*second);
  double fraction = 0;
  if (reader.consume('.') || reader.consume(',')) {
    double scale = 0.1;
    bool any = false;
    while (reader.peek() >= '0' && reader.peek() <= '9') {
      fraction += (reader.peek() - '0') * scale;
      scale /= 10;
      reader.consume(reader.peek());
      any = true;
    }
    if (!any) return std::nullopt;
  }
  std::int64_t offsetSeconds = 0;
  if (reader.peek() == '+' || reader.peek() == '-') {
    int sign = reader.peek() == '-' ? -1 : 1;
    reader.consume(reader.peek());
    auto offsetHours = reader.digits(2);
    reader.consume(':');
    auto offsetMinutes = reader.digits(2);
    if (!offsetHours || !offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59)
      return std::nullopt;
    offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
  } else {
    reader.consume('Z');
  }
  if (!reader.atEnd()) return std::nullopt;
  return secondsSinceReferenceDate(time) - static_cast<double>(offsetSeconds) + fraction;
}

std::optional<std::string> ReferenceDateCalendar::formatISO8601(double seconds) {
  auto time = calendarTime(seconds);
  if (!time) return std::nullopt;
  char text[64];
  int length = std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d",
                             static_cast<long long>(time->year), time->month, time->day,
                             time->hour, time->minute, time->second);
  std::string result(text, static_cast<std::size_t>(length));
  if (time->microsecond != 0) {
    std::snprintf(text, sizeof text, ".%06d", time->microsecond);
    std::string fraction(text);
    while (fraction.back() == '0') fraction.pop_back();
    result += fraction;
  }
  return result + "Z";
}

}  // namespace kavro::platform::foundation
