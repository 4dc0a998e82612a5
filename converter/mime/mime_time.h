// Calendar and time functions of the MIME library: Julian day numbers, seconds since 1970 (64-bit,
// so dates after 2038 work), the local zone, the current time, and the minimal standard random
// generator. "Now" and the local zone come from the C library unless a program (a test) puts
// its own source in with SetMimeTimeSource.
#pragma once

#include "mime_string.h"
#include "wintypes.h"

struct MimeBrokenDownTime {
    int tm_sec = 0;
    int tm_min = 0;
    int tm_hour = 0;
    int tm_mday = 1;
    int tm_mon = 0;   // from 0
    int tm_year = 70; // years since 1900
    int tm_wday = 4;  // 0 Sunday
    int tm_yday = 0;  // 0 = 1 January
};

// Fliegel-Van Flandern: 1970-01-01 is 2440588.
LONGLONG DateToJdn(LONGLONG year, LONGLONG month, LONGLONG day);
// The inverse; there is no year 0 (a year of 0 or less comes out one lower).
void JdnToDate(LONGLONG jdn, LONGLONG* year, LONGLONG* month, LONGLONG* day);

void TimeToBrokenDownUtc(LONGLONG t, MimeBrokenDownTime* out);
LONGLONG BrokenDownUtcToTime(const MimeBrokenDownTime& tm);

// The local zone at instant t: offset in minutes east of UTC and the zone's name (empty when it
// does not fit nameSize bytes with its NUL). Offset 0 and an empty name when it cannot be known.
void LocalZone(LONGLONG t, LONG* offset, char* name, size_t nameSize);

// The current time in seconds since 1970.
LONGLONG MimeCurrentTime();

// The minimal standard generator: *state = 16807 * *state mod (2^31 - 1); returns the new state.
DWORD NextRandom(DWORD* state);

// A replacement for "now" and for the local zone. Either may be null (the C library's then).
using MimeNowFunction = LONGLONG (*)();
using MimeLocalZoneFunction = bool (*)(LONGLONG t, LONG* offsetMinutes, MimeString* name);
void SetMimeTimeSource(MimeNowFunction now, MimeLocalZoneFunction zone);
