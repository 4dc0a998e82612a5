// Conversion of a date between the Gregorian calendar and the Korean lunisolar calendar, for the
// years 1921 to 2037. Script's Calendar object keeps one of these and forwards its Convert to it:
//   SetDate(year, month, day, isLunar); CalendarDate result = Convert();
// An input that is out of range or names no real day converts to 0/0/0.
#pragma once

#include <wintypes.h>

// A converted date; all three are 0 when the input could not be converted.
struct CalendarDate {
    LONG year;
    LONG month;
    LONG day;
};

// Days of the solar months, entry 0 unused; February holds the common-year 28 (SolarMonthLength
// gives 29 in a leap year).
extern const LONG g_solarMonthLengths[13];

// Years accepted by SetDate, lunar or solar.
constexpr LONG kCalendarFirstYear = 1921;
constexpr LONG kCalendarLastYear = 2037;

class LunarCalendar {
public:
    LunarCalendar();
    virtual ~LunarCalendar();

    // Stores the date to convert. A year outside 1921..2037 or a month or day of 0 or less stores
    // nothing, and Convert then gives 0/0/0. A lunar date carries no leap flag.
    void SetDate(LONG year, LONG month, LONG day, BOOL isLunar);
    // Converts the stored date: solar to lunar (the lunar year as a Gregorian year number) or lunar
    // to solar. A lunar month that is followed by a leap month names the leap month's day whenever
    // the leap month has that day.
    CalendarDate Convert();
    // Forgets the stored date and every intermediate value.
    void Reset();

    // Day number of a valid solar date; 1 January of year 1 is day 1.
    static LONG SolarToDayNumber(LONG year, LONG month, LONG day);
    // Finds the lunar date of a day number; FALSE when the day lies outside the lunar tables.
    BOOL DayNumberToLunar(LONG dayNumber);
    // Day number of the stored lunar date, keeping the leap-month twin's day number as well; 0 when
    // the stored lunar date lies outside the tables.
    LONG LunarToDayNumber();
    // Stores the solar date of a day number (1 or more).
    void DayNumberToSolar(LONG dayNumber);

    // "평달" or "윤달" in the ANSI code page: the kind of lunar month that the last conversion met.
    const char* GetMonthLabel() const { return m_monthLabel; }

    static BOOL IsSolarLeapYear(LONG year);
    static LONG SolarMonthLength(LONG year, LONG month);

private:
    CalendarDate ConvertSolarToLunar();
    CalendarDate ConvertLunarToSolar();
    LONG LunarMonthLength(LONG month) const;

    LONG m_solarYear;
    LONG m_solarMonth;
    LONG m_solarDay;
    LONG m_lunarEraYear; // Gregorian year + 2333
    LONG m_lunarMonth;
    LONG m_lunarDay;
    LONG m_yearIndex; // entry of the lunar year in the month-bit and leap tables (1921 = 1)
    BYTE m_isLunar;
    LONG m_dayNumber;
    LONG m_leapTwinDayNumber; // same day in the leap month, 0 when the month has no leap twin
    const char* m_monthLabel;
};
