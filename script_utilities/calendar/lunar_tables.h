// Tables of the Korean lunisolar calendar for the lunar years 1921 to 2040, filled in by the generated
// lunar_tables.cpp. Year tables are indexed by lunar year: the year-length table from 1921 as entry 0,
// the others from 1921 as entry 1 (their entry 0 stands before the first year, holds 0 and
// is never read).
#pragma once

#include <wintypes.h>

// Gregorian year of the first lunar year in the tables, and the era year (Gregorian year + 2333) of it.
constexpr LONG kFirstLunarYear = 1921;
constexpr LONG kLunarEraOffset = 2333;
constexpr LONG kFirstLunarEraYear = kFirstLunarYear + kLunarEraOffset;

// Day number (1 January of year 1 is day 1) of 7 February 1921, the day before lunar 1921-01-01.
constexpr LONG kDayNumberBeforeFirstLunarDay = 701303;

constexpr int kLunarYearLengthCount = 119; // 1921..2039
constexpr int kLunarMonthBitsCount = 121;  // entry 0, then 1921..2040
constexpr int kLeapMonthCount = 120;       // entry 0, then 1921..2039
constexpr int kLeapMonthLengthCount = 121; // entry 0, then 1921..2040

// Days in each lunar year, leap month included.
extern const LONG g_lunarYearLengths[kLunarYearLengthCount];
// Twelve bits for months 1 to 12 (0x800 is month 1, 0x001 month 12): set means 30 days, clear 29.
extern const LONG g_lunarMonthBits[kLunarMonthBitsCount];
// The month that is followed by a leap month, 0 for none.
extern const LONG g_leapMonths[kLeapMonthCount];
// Days in the leap month (29 or 30), 0 when the year has none.
extern const LONG g_leapMonthLengths[kLeapMonthLengthCount];
