#include "mime_time.h"

#include <atomic>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

std::atomic<MimeNowFunction> g_now{nullptr};
std::atomic<MimeLocalZoneFunction> g_zone{nullptr};

LONGLONG FloorDiv(LONGLONG a, LONGLONG b) {
    LONGLONG q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// The C library's local time is kept in one static record: one caller at a time.
std::mutex g_localTimeLock;

bool SystemLocalZone(LONGLONG t, LONG* offset, MimeString* name) {
    std::time_t when = static_cast<std::time_t>(t);
    std::lock_guard<std::mutex> lock(g_localTimeLock);
    const std::tm* local = std::localtime(&when);
    if (local == nullptr)
        return false;
    MimeBrokenDownTime fields;
    fields.tm_sec = local->tm_sec;
    fields.tm_min = local->tm_min;
    fields.tm_hour = local->tm_hour;
    fields.tm_mday = local->tm_mday;
    fields.tm_mon = local->tm_mon;
    fields.tm_year = local->tm_year;
    *offset = static_cast<LONG>(FloorDiv(BrokenDownUtcToTime(fields) - t, 60));
    char buffer[128];
    size_t n = std::strftime(buffer, sizeof buffer, "%Z", local);
    name->assign(buffer, n);
    return true;
}

} // namespace

LONGLONG DateToJdn(LONGLONG year, LONGLONG month, LONGLONG day) {
    LONGLONG m = month - 14;
    LONGLONG y = year + (year < 0 ? 1 : 0) + m / 12;
    return (y + 4800) * 1461 / 4 + day + (m % 12 + 12) * 367 / 12 - (y + 4900) / 100 * 3 / 4 - 32075;
}

void JdnToDate(LONGLONG jdn, LONGLONG* year, LONGLONG* month, LONGLONG* day) {
    LONGLONG l = jdn + 68569;
    LONGLONG n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    LONGLONG i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    LONGLONG j = 80 * l / 2447;
    *day = l - 2447 * j / 80;
    l = j / 11;
    *month = j + 2 - 12 * l;
    *year = 100 * (n - 49) + i + l;
    if (*year <= 0)
        --*year;
}

void TimeToBrokenDownUtc(LONGLONG t, MimeBrokenDownTime* out) {
    LONGLONG days = FloorDiv(t, 86400);
    LONGLONG seconds = t - days * 86400;
    LONGLONG year, month, day;
    JdnToDate(days + 2440588, &year, &month, &day);
    out->tm_year = static_cast<int>(year - 1900);
    out->tm_mon = static_cast<int>(month - 1);
    out->tm_mday = static_cast<int>(day);
    out->tm_hour = static_cast<int>(seconds / 3600);
    out->tm_min = static_cast<int>(seconds / 60 % 60);
    out->tm_sec = static_cast<int>(seconds % 60);
    LONGLONG weekday = (days + 2440589) % 7;
    out->tm_wday = static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
    out->tm_yday = static_cast<int>(days + 2440588 - DateToJdn(year, 1, 1));
}

LONGLONG BrokenDownUtcToTime(const MimeBrokenDownTime& tm) {
    LONGLONG days = DateToJdn(static_cast<LONGLONG>(tm.tm_year) + 1900, tm.tm_mon + 1, tm.tm_mday) - 2440588;
    return static_cast<LONGLONG>(tm.tm_hour) * 3600 + static_cast<LONGLONG>(tm.tm_min) * 60 + tm.tm_sec +
           days * 86400;
}

void LocalZone(LONGLONG t, LONG* offset, char* name, size_t nameSize) {
    LONG minutes = 0;
    MimeString zoneName;
    MimeLocalZoneFunction zone = g_zone.load();
    bool known = zone != nullptr ? zone(t, &minutes, &zoneName) : SystemLocalZone(t, &minutes, &zoneName);
    if (!known) {
        minutes = 0;
        zoneName.clear();
    }
    *offset = minutes;
    if (name != nullptr && nameSize != 0) {
        if (zoneName.length() + 1 > nameSize)
            zoneName.clear();
        MimeCopyToBuffer(zoneName, name, nameSize);
    }
}

LONGLONG MimeCurrentTime() {
    MimeNowFunction now = g_now.load();
    return now != nullptr ? now() : static_cast<LONGLONG>(std::time(nullptr));
}

DWORD NextRandom(DWORD* state) {
    // Carta's method: the product is split into 16-bit halves so that nothing overflows 32 bits.
    const DWORD a = 16807;
    const DWORD m = 0x7FFFFFFF;
    DWORD lo = a * (*state & 0xFFFF);
    DWORD hi = a * (*state >> 16);
    lo += (hi & 0x7FFF) << 16;
    if (lo > m) {
        lo &= m;
        ++lo;
    }
    lo += hi >> 15;
    if (lo > m) {
        lo &= m;
        ++lo;
    }
    *state = lo;
    return lo;
}

void SetMimeTimeSource(MimeNowFunction now, MimeLocalZoneFunction zone) {
    g_now.store(now);
    g_zone.store(zone);
}
