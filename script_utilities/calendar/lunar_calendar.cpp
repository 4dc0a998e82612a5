#include "lunar_calendar.h"

#include "lunar_tables.h"

namespace {

// The month labels in code page 949: "평달" (ordinary month) and "윤달" (leap month).
const char kOrdinaryMonthLabel[] = "\xC6\xF2\xB4\xDE";
const char kLeapMonthLabel[] = "\xC0\xB1\xB4\xDE";

const LONG kLastEraYear = kCalendarLastYear + kLunarEraOffset;

// Days before 1 January of year a + 1 in the proleptic Gregorian calendar.
LONG DaysBeforeYearAfter(LONG a) {
    return 365 * a + a / 4 - a / 100 + a / 400;
}

LONG MonthBit(LONG bits, LONG month) {
    return (bits >> (12 - month)) & 1;
}

} // namespace

const LONG g_solarMonthLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

LunarCalendar::LunarCalendar() {
    Reset();
}

LunarCalendar::~LunarCalendar() = default;

void LunarCalendar::Reset() {
    m_solarYear = 0;
    m_solarMonth = 0;
    m_solarDay = 0;
    m_lunarEraYear = 0;
    m_lunarMonth = 0;
    m_lunarDay = 0;
    m_yearIndex = 0;
    m_isLunar = 0;
    m_dayNumber = 0;
    m_leapTwinDayNumber = 0;
    m_monthLabel = kOrdinaryMonthLabel;
}

void LunarCalendar::SetDate(LONG year, LONG month, LONG day, BOOL isLunar) {
    Reset();
    // Negative months and days are refused here as well, so that no table is ever indexed by one.
    if (year < kCalendarFirstYear || year > kCalendarLastYear || month <= 0 || day <= 0)
        return;
    m_isLunar = isLunar ? 1 : 0;
    if (m_isLunar) {
        m_lunarEraYear = year + kLunarEraOffset;
        m_lunarMonth = month;
        m_lunarDay = day;
    } else {
        m_solarYear = year;
        m_solarMonth = month;
        m_solarDay = day;
    }
}

CalendarDate LunarCalendar::Convert() {
    return m_isLunar ? ConvertLunarToSolar() : ConvertSolarToLunar();
}

BOOL LunarCalendar::IsSolarLeapYear(LONG year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

LONG LunarCalendar::SolarMonthLength(LONG year, LONG month) {
    if (month < 1 || month > 12)
        return 0;
    if (month == 2)
        return IsSolarLeapYear(year) ? 29 : 28;
    return g_solarMonthLengths[month];
}

LONG LunarCalendar::SolarToDayNumber(LONG year, LONG month, LONG day) {
    LONG dayNumber = DaysBeforeYearAfter(year - 1);
    for (LONG m = 1; m < month && m <= 12; ++m)
        dayNumber += SolarMonthLength(year, m);
    return dayNumber + day;
}

void LunarCalendar::DayNumberToSolar(LONG dayNumber) {
    LONG before = dayNumber / 365 - 1;
    LONG dayOfYear = dayNumber - DaysBeforeYearAfter(before);
    while (dayOfYear < 0) {
        --before;
        dayOfYear = dayNumber - DaysBeforeYearAfter(before);
    }
    if (dayOfYear == 0) {
        // The day before 1 January is 31 December of the year before, whatever kind of year it is.
        m_solarYear = before;
        m_solarMonth = 12;
        m_solarDay = 31;
        return;
    }
    LONG year = before + 1;
    while (dayOfYear > (IsSolarLeapYear(year) ? 366 : 365)) {
        dayOfYear -= IsSolarLeapYear(year) ? 366 : 365;
        ++year;
    }
    LONG month = 1;
    while (dayOfYear > SolarMonthLength(year, month)) {
        dayOfYear -= SolarMonthLength(year, month);
        ++month;
    }
    m_solarYear = year;
    m_solarMonth = month;
    m_solarDay = dayOfYear;
}

BOOL LunarCalendar::DayNumberToLunar(LONG dayNumber) {
    if (dayNumber <= kDayNumberBeforeFirstLunarDay)
        return FALSE;
    LONG n = dayNumber - kDayNumberBeforeFirstLunarDay;
    LONG index = 0;
    while (index < kLunarYearLengthCount && g_lunarYearLengths[index] < n) {
        n -= g_lunarYearLengths[index];
        ++index;
    }
    // The leap table is the shortest of those read below.
    if (index >= kLunarYearLengthCount || index + 1 >= kLeapMonthCount)
        return FALSE;

    const LONG bits = g_lunarMonthBits[index + 1];
    const LONG leapMonth = g_leapMonths[index + 1];
    const LONG leapLength = g_leapMonthLengths[index + 1];
    for (LONG month = 1; month <= 12; ++month) {
        const LONG length = 29 + MonthBit(bits, month);
        if (n <= length) {
            m_monthLabel = kOrdinaryMonthLabel;
        } else {
            n -= length;
            if (month != leapMonth)
                continue;
            if (n > leapLength) {
                n -= leapLength;
                continue;
            }
            m_monthLabel = kLeapMonthLabel;
        }
        m_yearIndex = index + 1;
        m_dayNumber = dayNumber;
        m_lunarEraYear = kFirstLunarEraYear + index;
        m_lunarMonth = month;
        m_lunarDay = n;
        return TRUE;
    }
    return FALSE; // a year longer than its months: the tables are damaged
}

LONG LunarCalendar::LunarMonthLength(LONG month) const {
    return 29 + MonthBit(g_lunarMonthBits[m_yearIndex], month);
}

LONG LunarCalendar::LunarToDayNumber() {
    m_dayNumber = 0;
    m_leapTwinDayNumber = 0;
    const LONG index = m_lunarEraYear - kFirstLunarEraYear;
    if (index < 0 || index >= kLunarYearLengthCount || index + 1 >= kLeapMonthCount || m_lunarMonth < 1 ||
        m_lunarMonth > 12)
        return 0;
    m_yearIndex = index + 1;

    LONG dayNumber = kDayNumberBeforeFirstLunarDay;
    for (LONG year = 0; year < index; ++year)
        dayNumber += g_lunarYearLengths[year];
    const LONG leapMonth = g_leapMonths[m_yearIndex];
    for (LONG month = 1; month < m_lunarMonth; ++month) {
        dayNumber += LunarMonthLength(month);
        if (month == leapMonth)
            dayNumber += g_leapMonthLengths[m_yearIndex];
    }
    dayNumber += m_lunarDay;
    m_dayNumber = dayNumber;
    if (m_lunarMonth == leapMonth)
        m_leapTwinDayNumber = dayNumber + LunarMonthLength(m_lunarMonth);
    return dayNumber;
}

CalendarDate LunarCalendar::ConvertSolarToLunar() {
    // The month is checked before its length is looked up.
    if (m_solarMonth < 1 || m_solarMonth > 12)
        return {0, 0, 0};
    if (m_solarDay < 1 || m_solarDay > SolarMonthLength(m_solarYear, m_solarMonth))
        return {0, 0, 0};
    // 1 January to 7 February 1921 come before the first lunar day of the tables: DayNumberToLunar
    // refuses them.
    if (!DayNumberToLunar(SolarToDayNumber(m_solarYear, m_solarMonth, m_solarDay)))
        return {0, 0, 0};
    return {m_lunarEraYear - kLunarEraOffset, m_lunarMonth, m_lunarDay};
}

CalendarDate LunarCalendar::ConvertLunarToSolar() {
    if (m_lunarMonth < 1 || m_lunarMonth > 12 || m_lunarDay < 1 || m_lunarDay >= 31)
        return {0, 0, 0};
    if (m_lunarEraYear < kFirstLunarEraYear || m_lunarEraYear > kLastEraYear)
        return {0, 0, 0};
    const LONG dayNumber = LunarToDayNumber();
    if (dayNumber == 0)
        return {0, 0, 0};

    const LONG leapLength = m_leapTwinDayNumber ? g_leapMonthLengths[m_yearIndex] : 0;
    // Day 30 of a 29-day month is the next month's first day, not a date of this month; it is
    // taken only when the month's leap twin has 30 days (and is then the leap month's day).
    if (m_lunarDay > LunarMonthLength(m_lunarMonth) && m_lunarDay > leapLength)
        return {0, 0, 0};

    // The input carries no leap flag: a month followed by a leap month names the leap month's day
    // whenever the leap month has it.
    if (m_leapTwinDayNumber && m_lunarDay <= leapLength) {
        m_monthLabel = kLeapMonthLabel;
        DayNumberToSolar(m_leapTwinDayNumber);
    } else {
        m_monthLabel = kOrdinaryMonthLabel;
        DayNumberToSolar(dayNumber);
    }
    return {m_solarYear, m_solarMonth, m_solarDay};
}
