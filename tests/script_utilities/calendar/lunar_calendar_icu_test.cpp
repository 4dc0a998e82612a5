// Every day of the calendar's range against ICU's Korean ("dangi") calendar: solar to lunar for each
// solar day from 1921-02-08 to 2037-12-31, and lunar to solar for each lunar day 1 to 30 of every
// month of the lunar years 1921 to 2037. For lunar 2017 months 1 and 2 ICU starts the second month a
// day late; there the institute's data file, which the calendar follows, is the reference.
#include "lunar_calendar.h"

#include <gtest/gtest.h>
#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

const char kLeapLabel[] = "\xC0\xB1\xB4\xDE"; // 윤달
const double kMillisPerDay = 86400000.0;

struct Day {
    LONG solarYear, solarMonth, solarDay;
    LONG lunarYear, lunarMonth, lunarDay;
    bool leap;
};

// The lunar months met by the walk: (year, month, leap) -> first day's index and length.
using MonthKey = std::tuple<LONG, LONG, bool>;
struct MonthSpan {
    size_t first;
    LONG length;
};

struct DataYear {
    int year, days, bits, leapMonth, leapDays;
};

std::vector<DataYear> ReadDataFile() {
    std::vector<DataYear> years;
    std::ifstream in(std::string(QX_SOURCE_DIR) + "/script_utilities/calendar/korean-lunar-1921-2040.txt");
    std::string line;
    while (std::getline(in, line)) {
        DataYear y{};
        if (!line.empty() && line[0] != '#' &&
            std::sscanf(line.c_str(), "%d:%d/%x/%d/%d", &y.year, &y.days, &y.bits, &y.leapMonth,
                        &y.leapDays) == 5)
            years.push_back(y);
    }
    return years;
}

// Walks ICU's Gregorian and dangi calendars side by side from 1921-02-08 until the lunar year 2038
// begins.
std::vector<Day> WalkIcu() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::createTimeZone("UTC"));
    icu::GregorianCalendar solar(*utc, status);
    std::unique_ptr<icu::Calendar> lunar(
        icu::Calendar::createInstance(*utc, icu::Locale("ko_KR@calendar=dangi"), status));
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    if (U_FAILURE(status))
        return {};
    EXPECT_STREQ(lunar->getType(), "dangi");

    solar.clear();
    solar.set(1921, UCAL_FEBRUARY, 8);
    UDate when = solar.getTime(status);
    std::vector<Day> days;
    for (;;) {
        solar.setTime(when, status);
        lunar->setTime(when, status);
        Day d{solar.get(UCAL_YEAR, status),
              solar.get(UCAL_MONTH, status) + 1,
              solar.get(UCAL_DATE, status),
              lunar->get(UCAL_EXTENDED_YEAR, status) - 2333, // dangi years count from 2333 BC
              lunar->get(UCAL_MONTH, status) + 1,
              lunar->get(UCAL_DATE, status),
              lunar->get(UCAL_IS_LEAP_MONTH, status) != 0};
        EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
        if (U_FAILURE(status) || d.lunarYear > 2037)
            break;
        days.push_back(d);
        when += kMillisPerDay;
    }
    return days;
}

// Puts the data file's lunar 2017 months 1 and 2 in place of ICU's.
void Apply2017FromDataFile(std::vector<Day>& days) {
    const auto years = ReadDataFile();
    ASSERT_EQ(years.size(), 120u);
    size_t first = 0;
    for (const auto& y : years) {
        if (y.year == 2017)
            break;
        first += static_cast<size_t>(y.days);
    }
    const DataYear& y2017 = years[2017 - 1921];
    ASSERT_EQ(y2017.year, 2017);
    const LONG month1 = 29 + ((y2017.bits >> 11) & 1);
    const LONG month2 = 29 + ((y2017.bits >> 10) & 1);
    ASSERT_LT(first + month1 + month2, days.size());
    // ICU and the data file agree on where months 1 and 3 begin.
    EXPECT_EQ(days[first].solarYear, 2017);
    EXPECT_EQ(days[first].lunarMonth, 1);
    EXPECT_EQ(days[first].lunarDay, 1);
    EXPECT_EQ(days[first + month1 + month2].lunarMonth, 3);
    EXPECT_EQ(days[first + month1 + month2].lunarDay, 1);
    for (LONG i = 0; i < month1 + month2; ++i) {
        Day& d = days[first + i];
        d.lunarMonth = i < month1 ? 1 : 2;
        d.lunarDay = i < month1 ? i + 1 : i - month1 + 1;
        d.leap = false;
    }
    // The institute's second month begins on 26 February 2017.
    const Day& second = days[first + month1];
    EXPECT_EQ(second.solarMonth, 2);
    EXPECT_EQ(second.solarDay, 26);
}

class AgainstIcu : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_days = new std::vector<Day>(WalkIcu());
        Apply2017FromDataFile(*s_days);
        s_months = new std::map<MonthKey, MonthSpan>();
        for (size_t i = 0; i < s_days->size(); ++i) {
            const Day& d = (*s_days)[i];
            auto [it, added] = s_months->try_emplace({d.lunarYear, d.lunarMonth, d.leap}, MonthSpan{i, 0});
            ++it->second.length;
        }
    }
    static void TearDownTestSuite() {
        delete s_days;
        delete s_months;
    }
    static std::vector<Day>* s_days;
    static std::map<MonthKey, MonthSpan>* s_months;
};

std::vector<Day>* AgainstIcu::s_days = nullptr;
std::map<MonthKey, MonthSpan>* AgainstIcu::s_months = nullptr;

TEST_F(AgainstIcu, WalkCoversTheWholeRange) {
    ASSERT_FALSE(s_days->empty());
    const Day& first = s_days->front();
    EXPECT_EQ(first.lunarYear, 1921);
    EXPECT_EQ(first.lunarMonth, 1);
    EXPECT_EQ(first.lunarDay, 1);
    const Day& last = s_days->back();
    EXPECT_EQ(last.solarYear, 2038);
    EXPECT_EQ(last.lunarYear, 2037);
    EXPECT_EQ(last.lunarMonth, 12);
    // 117 lunar years, 43 of them with a leap month.
    EXPECT_EQ(s_months->size(), 117u * 12u + 43u);
}

TEST_F(AgainstIcu, EverySolarDayConvertsToItsLunarDay) {
    LunarCalendar calendar;
    size_t checked = 0;
    for (const Day& d : *s_days) {
        if (d.solarYear > 2037)
            break;
        calendar.SetDate(d.solarYear, d.solarMonth, d.solarDay, FALSE);
        const CalendarDate got = calendar.Convert();
        ASSERT_TRUE(got.year == d.lunarYear && got.month == d.lunarMonth && got.day == d.lunarDay)
            << "solar " << d.solarYear << "-" << d.solarMonth << "-" << d.solarDay << ": got " << got.year
            << "-" << got.month << "-" << got.day << ", ICU " << d.lunarYear << "-" << d.lunarMonth
            << (d.leap ? "(leap)" : "") << "-" << d.lunarDay;
        ASSERT_EQ(std::strcmp(calendar.GetMonthLabel(), kLeapLabel) == 0, d.leap)
            << "solar " << d.solarYear << "-" << d.solarMonth << "-" << d.solarDay;
        ++checked;
    }
    EXPECT_EQ(checked, 42696u); // 1921-02-08 .. 2037-12-31
}

// A lunar input has no leap flag: when the month is followed by a leap month that has the day, the
// leap month's day is meant; else the ordinary month's day; else there is no such day.
TEST_F(AgainstIcu, EveryLunarDayConvertsToItsSolarDay) {
    LunarCalendar calendar;
    size_t converted = 0;
    for (LONG year = 1921; year <= 2037; ++year) {
        for (LONG month = 1; month <= 12; ++month) {
            const auto ordinary = s_months->find({year, month, false});
            ASSERT_NE(ordinary, s_months->end()) << year << "-" << month;
            const auto leap = s_months->find({year, month, true});
            for (LONG day = 1; day <= 31; ++day) {
                const Day* expected = nullptr;
                if (leap != s_months->end() && day <= leap->second.length)
                    expected = &(*s_days)[leap->second.first + day - 1];
                else if (day <= ordinary->second.length)
                    expected = &(*s_days)[ordinary->second.first + day - 1];

                calendar.SetDate(year, month, day, TRUE);
                const CalendarDate got = calendar.Convert();
                if (expected == nullptr) {
                    ASSERT_TRUE(got.year == 0 && got.month == 0 && got.day == 0)
                        << "lunar " << year << "-" << month << "-" << day << ": got " << got.year << "-"
                        << got.month << "-" << got.day;
                    continue;
                }
                ASSERT_TRUE(got.year == expected->solarYear && got.month == expected->solarMonth &&
                            got.day == expected->solarDay)
                    << "lunar " << year << "-" << month << "-" << day << ": got " << got.year << "-"
                    << got.month << "-" << got.day << ", ICU " << expected->solarYear << "-"
                    << expected->solarMonth << "-" << expected->solarDay;
                ++converted;
            }
        }
    }
    // Every ordinary lunar day of the years, and each leap day that shadows no ordinary day.
    size_t expectedCount = 0;
    for (const auto& [key, span] : *s_months) {
        if (!std::get<2>(key)) {
            const auto leap = s_months->find({std::get<0>(key), std::get<1>(key), true});
            expectedCount +=
                static_cast<size_t>(std::max(span.length, leap == s_months->end() ? 0 : leap->second.length));
        }
    }
    EXPECT_EQ(converted, expectedCount);
}

} // namespace
