#include <cmath>
#include <cstdint>

#include "lib/date_time.h"
#include "lib/library_functions.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

using Args = const RValue*;

constexpr double kHoursPerDay = 24;
constexpr double kMinutesPerDay = 1440;
constexpr double kSecondsPerDay = 86400;
constexpr double kMillisecondsPerDay = 86'400'000;
// Days in the spans that date_*_span measures, on average.
constexpr double kDaysPerYear = 365.25;
constexpr double kDaysPerMonth = 30.4375;
constexpr double kDaysPerWeek = 7;
constexpr double kDaysPerDay = 1;

// The parts of a date or time to create or test: rounded, then taken as
// 16-bit unsigned numbers, so a year of 65537 counts as 1 and a negative part
// is too large to be valid.
int part(const RValue& value) {
  return static_cast<std::uint16_t>(round_to_int32(value.real()));
}

std::int64_t amount(const RValue& value) {
  return round_to_int64(value.real());
}

template <double (*compute)(Args)>
void real_of(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result, Args args) {
  result.set_real(compute(args));
}

template <std::string (*compute)(Args)>
void text_of(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result, Args args) {
  result.set_text(compute(args));
}

double flag(bool value) {
  return value ? 1 : 0;
}

double sign_of_difference(double a, double b) {
  return a < b ? -1 : 1;
}

double current_datetime(Args) {
  return current_date_time();
}

double current_date(Args) {
  return std::trunc(current_date_time());
}

double current_time(Args) {
  const double now = current_date_time();
  return now - std::trunc(now);
}

bool valid_datetime(Args a) {
  return valid_date(part(a[0]), part(a[1]), part(a[2])) &&
         valid_time(part(a[3]), part(a[4]), part(a[5]));
}

double create_datetime(Args a) {
  if (!valid_datetime(a)) return 0;
  return date_value({part(a[0]), part(a[1]), part(a[2])}) +
         time_value(part(a[3]), part(a[4]), part(a[5]));
}

double create_date(Args a) {
  if (!valid_date(part(a[0]), part(a[1]), part(a[2]))) return 0;
  return date_value({part(a[0]), part(a[1]), part(a[2])});
}

double create_time(Args a) {
  if (!valid_time(part(a[0]), part(a[1]), part(a[2]))) return 0;
  return time_value(part(a[0]), part(a[1]), part(a[2]));
}

double is_valid_datetime(Args a) {
  return flag(valid_datetime(a));
}

double is_valid_date(Args a) {
  return flag(valid_date(part(a[0]), part(a[1]), part(a[2])));
}

double is_valid_time(Args a) {
  return flag(valid_time(part(a[0]), part(a[1]), part(a[2])));
}

double inc_year(Args a) {
  return add_months(a[0].real(), 12 * amount(a[1]));
}

double inc_month(Args a) {
  return add_months(a[0].real(), amount(a[1]));
}

double inc_week(Args a) {
  return a[0].real() + 7 * static_cast<double>(amount(a[1]));
}

double inc_day(Args a) {
  return a[0].real() + static_cast<double>(amount(a[1]));
}

template <const double& kUnitsPerDay>
double inc_units(Args a) {
  return (a[0].real() * kUnitsPerDay + static_cast<double>(amount(a[1]))) / kUnitsPerDay;
}

double get_year(Args a) {
  return calendar_date(a[0].real()).year;
}

double get_month(Args a) {
  return calendar_date(a[0].real()).month;
}

double get_day(Args a) {
  return calendar_date(a[0].real()).day;
}

double get_hour(Args a) {
  return clock_time(a[0].real()).hour;
}

double get_minute(Args a) {
  return clock_time(a[0].real()).minute;
}

double get_second(Args a) {
  return clock_time(a[0].real()).second;
}

double get_week(Args a) {
  return iso_week(a[0].real());
}

double get_weekday(Args a) {
  return weekday(a[0].real());
}

double get_day_of_year(Args a) {
  return day_of_year(a[0].real());
}

double get_hour_of_year(Args a) {
  return get_hour(a) + 24 * (get_day_of_year(a) - 1);
}

double get_minute_of_year(Args a) {
  return get_minute(a) + 60 * get_hour_of_year(a);
}

double get_second_of_year(Args a) {
  return get_second(a) + 60 * get_minute_of_year(a);
}

template <const double& kDivisor>
double span_divided(Args a) {
  return std::fabs(a[0].real() - a[1].real()) / kDivisor;
}

template <const double& kFactor>
double span_times(Args a) {
  return std::fabs(a[0].real() - a[1].real()) * kFactor;
}

double compare_datetime(Args a) {
  const double d1 = a[0].real();
  const double d2 = a[1].real();
  if (std::fabs(d1 - d2) < 1 / kMillisecondsPerDay) return 0;
  return sign_of_difference(d1, d2);
}

double compare_date(Args a) {
  const double d1 = a[0].real();
  const double d2 = a[1].real();
  if (std::trunc(d1) == std::trunc(d2)) return 0;
  return sign_of_difference(d1, d2);
}

double fraction(double value) {
  return value - std::trunc(value);
}

double compare_time(Args a) {
  const double t1 = fraction(a[0].real());
  const double t2 = fraction(a[1].real());
  if (std::fabs(t1 - t2) < 1 / kMillisecondsPerDay) return 0;
  return sign_of_difference(t1, t2);
}

double date_of(Args a) {
  return std::trunc(a[0].real());
}

double time_of(Args a) {
  return fraction(a[0].real());
}

std::string datetime_string(Args a) {
  const ClockTime time = clock_time(a[0].real());
  std::string text = date_text(a[0].real());
  if (time.hour != 0 || time.minute != 0 || time.second != 0) text += " " + time_text(a[0].real());
  return text;
}

std::string date_string(Args a) {
  return date_text(a[0].real());
}

std::string time_string(Args a) {
  return time_text(a[0].real());
}

double month_days(Args a) {
  const CalendarDate date = calendar_date(a[0].real());
  return days_in_month(date.year, date.month);
}

double year_days(Args a) {
  return is_leap_year(calendar_date(a[0].real()).year) ? 366 : 365;
}

double leap_year(Args a) {
  return flag(is_leap_year(calendar_date(a[0].real()).year));
}

double is_today(Args a) {
  const double today = current_date(a);
  return flag(today <= a[0].real() && a[0].real() < today + 1);
}

}  // namespace

void register_date_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("date_current_datetime", &real_of<&current_datetime>, 0);
  f.add("date_current_date", &real_of<&current_date>, 0);
  f.add("date_current_time", &real_of<&current_time>, 0);
  f.add("date_create_datetime", &real_of<&create_datetime>, 6);
  f.add("date_create_date", &real_of<&create_date>, 3);
  f.add("date_create_time", &real_of<&create_time>, 3);
  f.add("date_valid_datetime", &real_of<&is_valid_datetime>, 6);
  f.add("date_valid_date", &real_of<&is_valid_date>, 3);
  f.add("date_valid_time", &real_of<&is_valid_time>, 3);
  f.add("date_inc_year", &real_of<&inc_year>, 2);
  f.add("date_inc_month", &real_of<&inc_month>, 2);
  f.add("date_inc_week", &real_of<&inc_week>, 2);
  f.add("date_inc_day", &real_of<&inc_day>, 2);
  f.add("date_inc_hour", &real_of<&inc_units<kHoursPerDay>>, 2);
  f.add("date_inc_minute", &real_of<&inc_units<kMinutesPerDay>>, 2);
  f.add("date_inc_second", &real_of<&inc_units<kSecondsPerDay>>, 2);
  f.add("date_get_year", &real_of<&get_year>, 1);
  f.add("date_get_month", &real_of<&get_month>, 1);
  f.add("date_get_day", &real_of<&get_day>, 1);
  f.add("date_get_hour", &real_of<&get_hour>, 1);
  f.add("date_get_minute", &real_of<&get_minute>, 1);
  f.add("date_get_second", &real_of<&get_second>, 1);
  f.add("date_get_week", &real_of<&get_week>, 1);
  f.add("date_get_weekday", &real_of<&get_weekday>, 1);
  f.add("date_get_day_of_year", &real_of<&get_day_of_year>, 1);
  f.add("date_get_hour_of_year", &real_of<&get_hour_of_year>, 1);
  f.add("date_get_minute_of_year", &real_of<&get_minute_of_year>, 1);
  f.add("date_get_second_of_year", &real_of<&get_second_of_year>, 1);
  f.add("date_year_span", &real_of<&span_divided<kDaysPerYear>>, 2);
  f.add("date_month_span", &real_of<&span_divided<kDaysPerMonth>>, 2);
  f.add("date_week_span", &real_of<&span_divided<kDaysPerWeek>>, 2);
  f.add("date_day_span", &real_of<&span_divided<kDaysPerDay>>, 2);
  f.add("date_hour_span", &real_of<&span_times<kHoursPerDay>>, 2);
  f.add("date_minute_span", &real_of<&span_times<kMinutesPerDay>>, 2);
  f.add("date_second_span", &real_of<&span_times<kSecondsPerDay>>, 2);
  f.add("date_compare_datetime", &real_of<&compare_datetime>, 2);
  f.add("date_compare_date", &real_of<&compare_date>, 2);
  f.add("date_compare_time", &real_of<&compare_time>, 2);
  f.add("date_date_of", &real_of<&date_of>, 1);
  f.add("date_time_of", &real_of<&time_of>, 1);
  f.add("date_datetime_string", &text_of<&datetime_string>, 1);
  f.add("date_date_string", &text_of<&date_string>, 1);
  f.add("date_time_string", &text_of<&time_string>, 1);
  f.add("date_days_in_month", &real_of<&month_days>, 1);
  f.add("date_days_in_year", &real_of<&year_days>, 1);
  f.add("date_leap_year", &real_of<&leap_year>, 1);
  f.add("date_is_today", &real_of<&is_today>, 1);
}

}  // namespace kestrel
