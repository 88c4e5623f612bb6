#include "lib/date_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace kestrel {
namespace {

constexpr double kMillisecondsPerDay = 86'400'000;
// Day 0 counted from 1 January 1970.
constexpr std::int64_t kEpochOffset = 25569;
// Far enough for every year from 1 to 9999, small enough to never overflow.
constexpr double kDayLimit = 1e9;

// The whole days of a value, truncated; values beyond every calendar are held
// at the limit so that arithmetic on them stays defined.
std::int64_t whole_days(double value) {
  if (!(std::fabs(value) < kDayLimit))
    return std::isnan(value) ? 0 : std::signbit(value) ? -kDayLimit : kDayLimit;
  return static_cast<std::int64_t>(std::trunc(value));
}

double time_of_day(double value) {
  if (!std::isfinite(value)) return 0;
  return std::fabs(value - std::trunc(value));
}

// Days from 1 January 1970 of a proleptic Gregorian date, and back (the
// well-known era arithmetic over 400-year cycles).
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t year_of_era = y - era * 400;
  const std::int64_t day_of_year = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void civil_from_days(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  d = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = year_of_era + era * 400 + (m <= 2);
}

// A day number with the time of day of `value` put back.
double with_time_of(double day, double value) {
  const double time = time_of_day(value);
  return day >= 0 ? day + time : day - time;
}

std::string formatted(double value, const char* format) {
  static const std::locale user_locale = [] {
    try {
      return std::locale("");
    } catch (const std::runtime_error&) {
      return std::locale::classic();
    }
  }();
  const CalendarDate date = calendar_date(value);
  const ClockTime time = clock_time(value);
  std::tm fields{};
  fields.tm_year = date.year - 1900;
  fields.tm_mon = date.month - 1;
  fields.tm_mday = date.day;
  fields.tm_hour = time.hour;
  fields.tm_min = time.minute;
  fields.tm_sec = time.second;
  fields.tm_wday = weekday(value) - 1;
  fields.tm_yday = day_of_year(value) - 1;
  std::ostringstream text;
  text.imbue(user_locale);
  text << std::put_time(&fields, format);
  return text.str();
}

}  // namespace

bool is_leap_year(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int days_in_month(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

bool valid_date(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= days_in_month(year, month);
}

bool valid_time(int hour, int minute, int second) {
  return (hour < 24 && minute < 60 && second < 60) || (hour == 24 && minute == 0 && second == 0);
}

double date_value(const CalendarDate& date) {
  return static_cast<double>(days_from_civil(date.year, date.month, date.day) + kEpochOffset);
}

CalendarDate calendar_date(double value) {
  std::int64_t year = 0;
  CalendarDate date;
  civil_from_days(whole_days(value) - kEpochOffset, year, date.month, date.day);
  date.year = static_cast<int>(year);
  return date;
}

double time_value(int hour, int minute, int second) {
  return (hour * 3'600'000.0 + minute * 60'000.0 + second * 1000.0) / kMillisecondsPerDay;
}

ClockTime clock_time(double value) {
  const auto total = std::min<std::int64_t>(std::llround(time_of_day(value) * kMillisecondsPerDay),
                                            static_cast<std::int64_t>(kMillisecondsPerDay) - 1);
  const int milliseconds = static_cast<int>(total);
  return {milliseconds / 3'600'000, milliseconds / 60'000 % 60, milliseconds / 1000 % 60,
          milliseconds % 1000};
}

double add_months(double value, std::int64_t months) {
  const CalendarDate date = calendar_date(value);
  const std::int64_t month_index = std::int64_t{date.year} * 12 + (date.month - 1) + months;
  const std::int64_t year = month_index >= 0 ? month_index / 12 : (month_index - 11) / 12;
  if (year < 1 || year > 9999) return 0;
  const int month = static_cast<int>(month_index - year * 12) + 1;
  const int day = std::min(date.day, days_in_month(static_cast<int>(year), month));
  return with_time_of(date_value({static_cast<int>(year), month, day}), value);
}

int weekday(double value) {
  const std::int64_t shifted = (whole_days(value) - 1) % 7;
  return 1 + static_cast<int>(shifted < 0 ? shifted + 7 : shifted);
}

int day_of_year(double value) {
  const CalendarDate date = calendar_date(value);
  return static_cast<int>(whole_days(value) - whole_days(date_value({date.year, 1, 1}))) + 1;
}

int iso_week(double value) {
  const std::int64_t day = whole_days(value);
  const int monday_based = (weekday(value) + 5) % 7;  // 0 = Monday
  const double thursday = static_cast<double>(day - monday_based + 3);
  return (day_of_year(thursday) - 1) / 7 + 1;
}

double current_date_time() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto milliseconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::tm local = *std::localtime(&seconds);
  return date_value({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}) +
         (time_value(local.tm_hour, local.tm_min, local.tm_sec) +
          static_cast<double>(milliseconds) / kMillisecondsPerDay);
}

std::string date_text(double value) {
  return formatted(value, "%x");
}

std::string time_text(double value) {
  return formatted(value, "%X");
}

}  // namespace kestrel
