#include "mime_date_time.h"

#include <cstdio>

namespace {

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

MimeDateTime::MimeDateTime() : MimeFieldBody(MIME_CLASS_DATE_TIME, "MimeDateTime") {
    FromUnixTime(MimeCurrentTime(), 1);
}

MimeDateTime::MimeDateTime(const MimeString& text, MimeMessageComponent* parent)
    : MimeFieldBody(text, parent, MIME_CLASS_DATE_TIME, "MimeDateTime") {}

std::unique_ptr<MimeMessageComponent> MimeDateTime::Clone() const {
    return std::make_unique<MimeDateTime>(*this);
}

void MimeDateTime::SetDefault() {
    m_year = 1970;
    m_month = 1;
    m_day = 1;
    m_hour = 0;
    m_minute = 0;
    m_second = 0;
    m_zone = 0;
    m_zoneName.clear();
}

void MimeDateTime::Parse() {
    ClearModified();
    MimeBrokenDownTime tm;
    LONG zone = 0;
    // Room for names such as "Eastern Standard Time"; longer ones are cut.
    char zoneName[100];
    if (ParseRfc822Date(AsString(), &tm, &zone, zoneName, sizeof zoneName) != 0) {
        SetDefault();
        return;
    }
    m_year = tm.tm_year + 1900;
    m_month = tm.tm_mon + 1;
    m_day = tm.tm_mday;
    m_hour = tm.tm_hour;
    m_minute = tm.tm_min;
    m_second = tm.tm_sec;
    m_zone = zone;
    m_zoneName = zoneName;
}

void MimeDateTime::Compose() {
    if (!IsModified())
        return;
    LONGLONG weekday = (DateToJdn(m_year, m_month, m_day) + 1) % 7;
    if (weekday < 0)
        weekday += 7;
    int monthIndex = ((m_month - 1) % 12 + 12) % 12;
    LONGLONG magnitude = m_zone < 0 ? -static_cast<LONGLONG>(m_zone) : m_zone;
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, "%s, %d %s %4d %02d:%02d:%02d %c%02d%02d",
                          kDayNames[weekday], m_day, kMonthNames[monthIndex], m_year, m_hour, m_minute,
                          m_second, m_zone < 0 ? '-' : '+', static_cast<int>(magnitude / 60 % 24),
                          static_cast<int>(magnitude % 60));
    MimeString text(buffer, n > 0 ? static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n)
                                                                           : sizeof buffer - 1
                                  : 0);
    if (!m_zoneName.empty())
        text.append(" (").append(m_zoneName).append(")");
    SetStringForm(text);
    ClearModified();
}

void MimeDateTime::SetValues(int year, int month, int day, int hour, int minute, int second, LONG zone,
                             const MimeString& zoneName) {
    m_year = year;
    m_month = month;
    m_day = day;
    m_hour = hour;
    m_minute = minute;
    m_second = second;
    m_zone = zone;
    m_zoneName = zoneName;
    SetModified();
}

void MimeDateTime::SetLocalValues(int year, int month, int day, int hour, int minute, int second) {
    MimeBrokenDownTime tm;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    LONG offset = 0;
    char name[100];
    // The zone in force at that wall-clock time: first guess with the offset at the same
    // instant taken as UTC, then once more with the offset found.
    LONGLONG asUtc = BrokenDownUtcToTime(tm);
    LocalZone(asUtc, &offset, name, sizeof name);
    LocalZone(asUtc - static_cast<LONGLONG>(offset) * 60, &offset, name, sizeof name);
    SetValues(year, month, day, hour, minute, second, offset, name);
}

void MimeDateTime::FromUnixTime(LONGLONG t, int zone) {
    LONG offset = 0;
    MimeString zoneName("UTC");
    if (zone != 0) {
        char name[100];
        LocalZone(t, &offset, name, sizeof name);
        zoneName = name;
    }
    MimeBrokenDownTime tm;
    TimeToBrokenDownUtc(t + static_cast<LONGLONG>(offset) * 60, &tm);
    SetValues(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, offset,
              zoneName);
}

LONGLONG MimeDateTime::AsUnixTime() const {
    if (m_month < 1 || m_month > 12 || m_day < 1 || m_day > 31 || m_hour < 0 || m_hour > 23 || m_minute < 0 ||
        m_minute > 59 || m_second < 0 || m_second > 60)
        return 0;
    MimeBrokenDownTime tm;
    tm.tm_year = m_year - 1900;
    tm.tm_mon = m_month - 1;
    tm.tm_mday = m_day;
    tm.tm_hour = m_hour;
    tm.tm_min = m_minute;
    tm.tm_sec = m_second;
    return BrokenDownUtcToTime(tm) - static_cast<LONGLONG>(m_zone) * 60;
}
