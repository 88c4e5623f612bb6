#include "lib/date_time.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(DateTime, DayNumbersCountFromTheLastDaysOf1899) {
  const struct {
    CalendarDate date;
    double value;
  } cases[] = {
      {{1899, 12, 30}, 0},  {{1900, 1, 1}, 2},         {{1900, 3, 1}, 61},   {{2000, 2, 29}, 36585},
      {{1, 1, 1}, -693593}, {{9999, 12, 31}, 2958465}, {{1899, 12, 29}, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(date_value(c.date), c.value) << c.date.year << "-" << c.date.month;
    const CalendarDate back = calendar_date(c.value);
    EXPECT_EQ(back.year, c.date.year);
    EXPECT_EQ(back.month, c.date.month);
    EXPECT_EQ(back.day, c.date.day);
  }
  // Before day 0 the fraction is still the time after midnight.
  EXPECT_EQ(calendar_date(-1.25).day, 29);
  EXPECT_EQ(clock_time(-1.25).hour, 6);
}

TEST(DateTime, ValidityRules) {
  EXPECT_FALSE(valid_date(2023, 2, 29));
  EXPECT_TRUE(valid_date(2024, 2, 29));
  EXPECT_FALSE(valid_date(1900, 2, 29));
  EXPECT_TRUE(valid_date(2000, 2, 29));
  EXPECT_FALSE(valid_date(0, 1, 1));
  EXPECT_FALSE(valid_date(10000, 1, 1));
  EXPECT_FALSE(valid_date(2024, 13, 1));
  EXPECT_TRUE(valid_time(24, 0, 0));
  EXPECT_FALSE(valid_time(24, 0, 1));
  EXPECT_TRUE(valid_time(23, 59, 59));
  EXPECT_FALSE(valid_time(12, 60, 0));
}

TEST(DateTime, MonthsKeepTheDayUnlessTheMonthIsShorter) {
  const double january_31 = date_value({2024, 1, 31}) + 0.75;
  const double moved = add_months(january_31, 1);
  EXPECT_EQ(calendar_date(moved).month, 2);
  EXPECT_EQ(calendar_date(moved).day, 29);
  EXPECT_DOUBLE_EQ(moved - static_cast<int>(moved), 0.75);
  EXPECT_EQ(calendar_date(add_months(january_31, -2)).day, 30);
  EXPECT_EQ(calendar_date(add_months(january_31, 12 * 3 + 1)).day, 28);
  EXPECT_EQ(add_months(date_value({9999, 12, 1}), 1), 0) << "past year 9999";
}

TEST(DateTime, WeekdaysAndIsoWeeks) {
  EXPECT_EQ(weekday(0), 7) << "30 December 1899 was a Saturday";
  EXPECT_EQ(weekday(date_value({2024, 12, 10})), 3);
  EXPECT_EQ(weekday(-1), 6);
  const struct {
    CalendarDate date;
    int week;
  } cases[] = {
      {{2021, 1, 1}, 53},  {{2021, 1, 4}, 1},  {{2024, 12, 30}, 1},  {{2026, 12, 31}, 53},
      {{2024, 6, 15}, 24}, {{2023, 1, 1}, 52}, {{2020, 12, 31}, 53},
  };
  for (const auto& c : cases) EXPECT_EQ(iso_week(date_value(c.date)), c.week) << c.date.year;
  EXPECT_EQ(day_of_year(date_value({2024, 12, 31})), 366);
}

TEST(DateTime, ClockFieldsAndTextForms) {
  const ClockTime time = clock_time(time_value(13, 5, 59));
  EXPECT_EQ(time.hour, 13);
  EXPECT_EQ(time.minute, 5);
  EXPECT_EQ(time.second, 59);
  EXPECT_FALSE(date_text(date_value({2024, 2, 29})).empty());
  EXPECT_NE(time_text(time_value(13, 5, 59)).find("05"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
