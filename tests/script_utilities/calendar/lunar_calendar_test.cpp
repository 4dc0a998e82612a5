// Conversions seen from the caller: the published edge cases, known New Year days, the refused
// inputs, and an exhaustive sweep of small and odd inputs.
#include "lunar_calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct Case {
    const char* what;
    LONG year, month, day;
    BOOL lunar;
    CalendarDate expected;
};

CalendarDate Run(LONG year, LONG month, LONG day, BOOL lunar) {
    LunarCalendar calendar;
    calendar.SetDate(year, month, day, lunar);
    return calendar.Convert();
}

void ExpectCases(const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Case& c = cases[i];
        const CalendarDate got = Run(c.year, c.month, c.day, c.lunar);
        EXPECT_EQ(got.year, c.expected.year) << c.what;
        EXPECT_EQ(got.month, c.expected.month) << c.what;
        EXPECT_EQ(got.day, c.expected.day) << c.what;
    }
}

const CalendarDate kNone = {0, 0, 0};
const char kLeapLabel[] = "\xC0\xB1\xB4\xDE";     // 윤달
const char kOrdinaryLabel[] = "\xC6\xF2\xB4\xDE"; // 평달

const Case kEdgeCases[] = {
    {"first lunar day from solar", 1921, 2, 8, FALSE, {1921, 1, 1}},
    {"first lunar day to solar", 1921, 1, 1, TRUE, {1921, 2, 8}},
    {"solar 1920", 1920, 12, 31, FALSE, kNone},
    {"lunar 1920", 1920, 12, 1, TRUE, kNone},
    {"solar 2038", 2038, 1, 1, FALSE, kNone},
    {"lunar 2038", 2038, 1, 1, TRUE, kNone},
    {"solar month 0", 2000, 0, 1, FALSE, kNone},
    {"lunar month 0", 2000, 0, 1, TRUE, kNone},
    {"solar day 0", 2000, 1, 0, FALSE, kNone},
    {"lunar day 0", 2000, 1, 0, TRUE, kNone},
    {"solar 2001-02-29", 2001, 2, 29, FALSE, kNone},
    {"solar 2000-02-29", 2000, 2, 29, FALSE, {2000, 1, 25}},
    {"solar 1900-style century: 2100 is out of range anyway", 2100, 2, 29, FALSE, kNone},
    {"lunar day 31", 2000, 1, 31, TRUE, kNone},
    {"lunar day 30 of a 30-day month", 1921, 1, 30, TRUE, {1921, 3, 9}},
    {"lunar day 30 of a 29-day month", 1921, 2, 30, TRUE, kNone},
    {"lunar date of 1999-12-31", 1999, 11, 24, TRUE, {1999, 12, 31}},
    {"solar 1999-12-31", 1999, 12, 31, FALSE, {1999, 11, 24}},
    {"solar 2000-01-01", 2000, 1, 1, FALSE, {1999, 11, 25}},
    {"last solar day", 2037, 12, 31, FALSE, {2037, 11, 25}},
    {"lunar 2037-12 reaches into 2038", 2037, 12, 12, TRUE, {2038, 1, 16}},
    {"solar day 32", 2000, 1, 32, FALSE, kNone},
    {"solar April 31", 2000, 4, 31, FALSE, kNone},
};

TEST(LunarCalendarConvert, EdgeCases) {
    ExpectCases(kEdgeCases, std::size(kEdgeCases));
}

// The Korean New Year of 1988 and 1997 falls a day after the Chinese one.
const Case kNewYears[] = {
    {"1988 New Year from solar", 1988, 2, 18, FALSE, {1988, 1, 1}},
    {"1988 Chinese New Year is the last day of 1987", 1988, 2, 17, FALSE, {1987, 12, 30}},
    {"1988 New Year to solar", 1988, 1, 1, TRUE, {1988, 2, 18}},
    {"1997 New Year from solar", 1997, 2, 8, FALSE, {1997, 1, 1}},
    {"1997 Chinese New Year is the last day of 1996", 1997, 2, 7, FALSE, {1996, 12, 30}},
    {"1997 New Year to solar", 1997, 1, 1, TRUE, {1997, 2, 8}},
};

TEST(LunarCalendarConvert, KoreanNewYears) {
    ExpectCases(kNewYears, std::size(kNewYears));
}

// A lunar date carries no leap flag: in a month followed by a leap month, a day that the leap month
// has names the leap month's day; the ordinary month's days are reached only from solar.
const Case kLeapMonths[] = {
    {"1922 leap 5th month, day 1", 1922, 5, 1, TRUE, {1922, 6, 25}},
    {"1922 leap 5th month, day 29", 1922, 5, 29, TRUE, {1922, 7, 23}},
    {"1922 day 30: neither month has it", 1922, 5, 30, TRUE, kNone},
    {"1922 6th month follows the leap month", 1922, 6, 1, TRUE, {1922, 7, 24}},
    {"solar in the 1922 leap month", 1922, 6, 25, FALSE, {1922, 5, 1}},
    {"1925 day 30 exists only in the ordinary 4th month", 1925, 4, 30, TRUE, {1925, 5, 22}},
    {"1925 5th month after the 29-day leap month", 1925, 5, 1, TRUE, {1925, 6, 21}},
    {"1936 day 30 exists only in the leap 3rd month", 1936, 3, 30, TRUE, {1936, 5, 20}},
    {"1936 leap 3rd month, day 1", 1936, 3, 1, TRUE, {1936, 4, 21}},
    {"1936 4th month", 1936, 4, 1, TRUE, {1936, 5, 21}},
};

TEST(LunarCalendarConvert, LeapMonths) {
    ExpectCases(kLeapMonths, std::size(kLeapMonths));
}

// Inputs that once converted to nonsense or read outside the tables.
const Case kRefused[] = {
    {"solar 1921-01-01, before the first lunar day", 1921, 1, 1, FALSE, kNone},
    {"solar 1921-01-31", 1921, 1, 31, FALSE, kNone},
    {"solar 1921-02-07, the day before the first lunar day", 1921, 2, 7, FALSE, kNone},
    {"solar month 13", 2000, 13, 1, FALSE, kNone},
    {"lunar month 13", 2000, 13, 1, TRUE, kNone},
    {"lunar month 13 of the last year", 2037, 13, 1, TRUE, kNone},
    {"solar month INT32_MAX", 2000, INT32_MAX, 1, FALSE, kNone},
    {"lunar month INT32_MAX", 2000, INT32_MAX, 1, TRUE, kNone},
    {"negative solar year", -2000, 1, 1, FALSE, kNone},
    {"negative lunar year", -2000, 1, 1, TRUE, kNone},
    {"negative solar month", 2000, -1, 1, FALSE, kNone},
    {"negative lunar month", 2000, -1, 1, TRUE, kNone},
    {"negative solar day", 2000, 1, -1, FALSE, kNone},
    {"negative lunar day", 2000, 1, -1, TRUE, kNone},
    {"most negative solar values", INT32_MIN, INT32_MIN, INT32_MIN, FALSE, kNone},
    {"most negative lunar values", INT32_MIN, INT32_MIN, INT32_MIN, TRUE, kNone},
    {"largest solar values", INT32_MAX, INT32_MAX, INT32_MAX, FALSE, kNone},
    {"largest lunar values", INT32_MAX, INT32_MAX, INT32_MAX, TRUE, kNone},
    {"largest solar day", 2000, 1, INT32_MAX, FALSE, kNone},
    {"largest lunar day", 2000, 1, INT32_MAX, TRUE, kNone},
};

TEST(LunarCalendarConvert, RefusesBadInput) {
    ExpectCases(kRefused, std::size(kRefused));
}

TEST(LunarCalendarConvert, BadInputAfterGoodGivesNothing) {
    LunarCalendar calendar;
    calendar.SetDate(2000, 1, 1, FALSE);
    const CalendarDate first = calendar.Convert();
    EXPECT_EQ(first.year, 1999);
    calendar.SetDate(2000, 13, 1, TRUE);
    const CalendarDate second = calendar.Convert();
    EXPECT_EQ(second.year, 0);
    EXPECT_EQ(second.month, 0);
    EXPECT_EQ(second.day, 0);
    calendar.SetDate(1921, 1, 1, TRUE);
    calendar.Reset();
    EXPECT_EQ(calendar.Convert().year, 0);
    LunarCalendar fresh;
    EXPECT_EQ(fresh.Convert().month, 0);
}

TEST(LunarCalendarConvert, MonthLabelNamesTheKindOfMonth) {
    LunarCalendar calendar;
    EXPECT_STREQ(calendar.GetMonthLabel(), kOrdinaryLabel);
    calendar.SetDate(1922, 6, 25, FALSE); // leap 5th month, day 1
    calendar.Convert();
    EXPECT_STREQ(calendar.GetMonthLabel(), kLeapLabel);
    calendar.SetDate(1922, 6, 24, FALSE); // ordinary 5th month, day 29
    calendar.Convert();
    EXPECT_STREQ(calendar.GetMonthLabel(), kOrdinaryLabel);
    calendar.SetDate(1936, 3, 30, TRUE);
    calendar.Convert();
    EXPECT_STREQ(calendar.GetMonthLabel(), kLeapLabel);
    calendar.SetDate(1925, 4, 30, TRUE);
    calendar.Convert();
    EXPECT_STREQ(calendar.GetMonthLabel(), kOrdinaryLabel);
}

bool IsLeap(LONG y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool IsRealSolarDate(LONG y, LONG m, LONG d) {
    static const int days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    return d <= days[m] + (m == 2 && IsLeap(y) ? 1 : 0);
}

bool IsNone(const CalendarDate& d) {
    return d.year == 0 && d.month == 0 && d.day == 0;
}

// Every input around the accepted range either gives 0/0/0 or a date that converts back to it.
TEST(LunarCalendarConvert, SweepGivesNothingOrARoundTrip) {
    LunarCalendar calendar;
    for (LONG year = 1915; year <= 2043; ++year) {
        for (LONG month = -2; month <= 15; ++month) {
            for (LONG day = -2; day <= 33; ++day) {
                calendar.SetDate(year, month, day, FALSE);
                const CalendarDate lunar = calendar.Convert();
                const bool convertible = year >= 1921 && year <= 2037 && IsRealSolarDate(year, month, day) &&
                                         (year > 1921 || month > 2 || (month == 2 && day >= 8));
                ASSERT_EQ(!IsNone(lunar), convertible) << year << "-" << month << "-" << day;
                if (convertible) {
                    const bool leap = std::strcmp(calendar.GetMonthLabel(), kLeapLabel) == 0;
                    calendar.SetDate(lunar.year, lunar.month, lunar.day, TRUE);
                    const CalendarDate back = calendar.Convert();
                    // Back from lunar lands on the same day unless the leap month shadows it.
                    if (leap || back.year != year || back.month != month || back.day != day) {
                        ASSERT_FALSE(IsNone(back)) << year << "-" << month << "-" << day;
                        EXPECT_STREQ(calendar.GetMonthLabel(), kLeapLabel)
                            << year << "-" << month << "-" << day;
                    }
                }

                calendar.SetDate(year, month, day, TRUE);
                const CalendarDate solar = calendar.Convert();
                if (year < 1921 || year > 2037 || month < 1 || month > 12 || day < 1 || day > 30) {
                    ASSERT_TRUE(IsNone(solar)) << "lunar " << year << "-" << month << "-" << day;
                } else if (solar.year == 2038) {
                    // The end of lunar 2037 lies in solar 2038, which is not taken back.
                    ASSERT_EQ(year, 2037);
                    ASSERT_TRUE(IsRealSolarDate(solar.year, solar.month, solar.day));
                    ASSERT_TRUE(solar.month == 1 || (solar.month == 2 && solar.day <= 3));
                } else if (!IsNone(solar)) {
                    ASSERT_TRUE(IsRealSolarDate(solar.year, solar.month, solar.day));
                    calendar.SetDate(solar.year, solar.month, solar.day, FALSE);
                    const CalendarDate again = calendar.Convert();
                    EXPECT_EQ(again.year, year) << "lunar " << year << "-" << month << "-" << day;
                    EXPECT_EQ(again.month, month) << "lunar " << year << "-" << month << "-" << day;
                    EXPECT_EQ(again.day, day) << "lunar " << year << "-" << month << "-" << day;
                } else {
                    EXPECT_EQ(day, 30) << "lunar " << year << "-" << month << "-" << day;
                }
            }
        }
    }
}

} // namespace
