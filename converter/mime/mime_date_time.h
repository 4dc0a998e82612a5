// MimeDateTime: the body of the Date and Resent-Date fields (and the date of a Received stamp):
// an RFC 822 date-time held as calendar fields with a zone offset and zone name, composed as
// "Tue, 1 Jul 2003 10:52:37 +0900" (with " (zone name)" after it when there is a name).
#pragma once

#include "mime_field_body.h"
#include "mime_time.h"

class MimeDateTime : public MimeFieldBody {
public:
    // The current local time (with the local zone), marked modified so that it composes.
    MimeDateTime();
    // 1970-01-01 00:00:00 +0000 until Parse.
    MimeDateTime(const MimeString& text, MimeMessageComponent* parent);
    MimeDateTime(const MimeDateTime& other) = default;
    MimeDateTime& operator=(const MimeDateTime& other) = default;

    // A text that is not a date gives 1970-01-01 00:00:00 +0000 and no zone name.
    void Parse() override;
    void Compose() override;
    std::unique_ptr<MimeMessageComponent> Clone() const override;

    int Year() const { return m_year; }
    int Month() const { return m_month; }
    int Day() const { return m_day; }
    int Hour() const { return m_hour; }
    int Minute() const { return m_minute; }
    int Second() const { return m_second; }
    LONG Zone() const { return m_zone; }
    const MimeString& ZoneName() const { return m_zoneName; }
    void SetValues(int year, int month, int day, int hour, int minute, int second, LONG zone,
                   const MimeString& zoneName);
    // Stores the values and takes the offset and name of the local zone at that time.
    void SetLocalValues(int year, int month, int day, int hour, int minute, int second);

    // zone 0: UTC with the name "UTC"; otherwise the local zone at t.
    void FromUnixTime(LONGLONG t, int zone);
    // Seconds since 1970 (0 when the fields are not a date).
    LONGLONG AsUnixTime() const;
    void FromCalendarTime(LONGLONG t, int zone) { FromUnixTime(t, zone); }
    LONGLONG AsCalendarTime() const { return AsUnixTime(); }

private:
    void SetDefault();

    int m_year = 1970;
    int m_month = 1;
    int m_day = 1;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    LONG m_zone = 0;
    MimeString m_zoneName;
};

inline std::unique_ptr<MimeDateTime> CreateMimeDateTime(const MimeString& text,
                                                        MimeMessageComponent* parent) {
    return MimeCreation<MimeDateTime>::Create(text, parent);
}

// The date parser: an RFC 822 date-time (the text up to its first NUL byte) to a broken-down
// time, the zone offset in minutes and the text of a comment after the zone (cut to
// zoneNameSize - 1 bytes). 0 on success; -1 and 1970-01-01 00:00:00 +0000 on failure.
int ParseRfc822Date(const MimeString& text, MimeBrokenDownTime* out, LONG* zone, char* zoneName,
                    size_t zoneNameSize);
