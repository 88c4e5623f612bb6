#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// Date-time values: whole days from 30 December 1899 (day 0) in the
// proleptic Gregorian calendar, and the time of day as the fraction. Before
// day 0 the whole part counts backwards and the fraction is still the time of
// day after midnight, so -1.25 is 29 December 1899 at 6:00.
struct CalendarDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

bool is_leap_year(int year);
int days_in_month(int year, int month);
bool valid_date(int year, int month, int day);
// 24:00:00 is valid too: the end of a day.
bool valid_time(int hour, int minute, int second);

// The day number of a valid date, and back.
double date_value(const CalendarDate& date);
CalendarDate calendar_date(double value);
// The time of day of a valid time as a fraction of a day, and back.
double time_value(int hour, int minute, int second);
ClockTime clock_time(double value);

// d moved by whole months, the day lowered to the end of a shorter month and
// the time of day kept; 0 when the result leaves the years 1 to 9999.
double add_months(double value, std::int64_t months);

// 1 = Sunday … 7 = Saturday.
int weekday(double value);
// The ISO 8601 week: weeks start on Monday and week 1 holds the first Thursday.
int iso_week(double value);
int day_of_year(double value);

// The local date and time now.
double current_date_time();

// The date in the user's short date form and the time in the user's long
// time form (the C library's %x and %X under the user's locale).
std::string date_text(double value);
std::string time_text(double value);

}  // namespace kestrel
