#include <gtest/gtest.h>

#include <string>

#include "mime_date_time.h"
#include "mime_headers.h"

namespace {

// A fixed zone for the tests: +09:00 "KST", whatever the machine's zone is.
bool SeoulZone(LONGLONG, LONG* offset, MimeString* name) {
    *offset = 540;
    *name = "KST";
    return true;
}

// -05:00 in winter, -04:00 from the second Sunday of March to the first Sunday of November.
bool EasternZone(LONGLONG t, LONG* offset, MimeString* name) {
    MimeBrokenDownTime tm;
    TimeToBrokenDownUtc(t, &tm);
    bool summer = tm.tm_mon > 2 && tm.tm_mon < 10;
    *offset = summer ? -240 : -300;
    *name = summer ? "EDT" : "EST";
    return true;
}

bool UnknownZone(LONGLONG, LONG*, MimeString*) {
    return false;
}

LONGLONG FixedNow() {
    return 1057024357;
} // 2003-07-01 01:52:37 UTC

class MimeDateTimeTest : public ::testing::Test {
protected:
    void SetUp() override { SetMimeTimeSource(&FixedNow, &SeoulZone); }
    void TearDown() override { SetMimeTimeSource(nullptr, nullptr); }
};

std::string Fields(const MimeDateTime& d) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d %+d [%s]", d.Year(), d.Month(),
                  d.Day(), d.Hour(), d.Minute(), d.Second(), static_cast<int>(d.Zone()),
                  d.ZoneName().ToStdString().c_str());
    return buffer;
}

} // namespace

TEST_F(MimeDateTimeTest, ParseAndComposeTable) {
    const struct {
        const char* text;
        const char* fields;
        const char* composed;
    } cases[] = {
        {"Tue, 01 Jul 2003 10:52:37 +0900", "2003-07-01 10:52:37 +540 []", "Tue, 1 Jul 2003 10:52:37 +0900"},
        {"1 jan 70 00:00 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"Mon, 32 Jan 2003 10:00 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 10:00 +09", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 10:00", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 10:00 EST (Eastern Standard Time)", "2003-01-01 10:00:00 -300 [Eastern Standard Time]",
         "Wed, 1 Jan 2003 10:00:00 -0500 (Eastern Standard Time)"},
        {"01 Jul 2003 10:52 -0000", "2003-07-01 10:52:00 +0 []", "Tue, 1 Jul 2003 10:52:00 +0000"},
        {"Wed, 15 Mar 2006 23:59:59 -0830", "2006-03-15 23:59:59 -510 []", "Wed, 15 Mar 2006 23:59:59 -0830"},
        {"Fri, 21 Nov 1997 09:55:06 -0600 (MDT)", "1997-11-21 09:55:06 -360 [MDT]",
         "Fri, 21 Nov 1997 09:55:06 -0600 (MDT)"},
        {"(comment 12) Thu, 13 Feb 1969 23:32 -0330 (Newfoundland Time)",
         "1969-02-13 23:32:00 -210 [Newfoundland Time]",
         "Thu, 13 Feb 1969 23:32:00 -0330 (Newfoundland Time)"},
        {"Thu,\n 13\n  Feb\n 1969\n 23:32\n -0330", "1969-02-13 23:32:00 -210 []",
         "Thu, 13 Feb 1969 23:32:00 -0330"},
        {"21 Nov 97 09:55:06 GMT", "1997-11-21 09:55:06 +0 []", "Fri, 21 Nov 1997 09:55:06 +0000"},
        {"Tuesday, 1-Jul-03 10:52:37 ut", "1903-07-01 10:52:37 +0 []", "Wed, 1 Jul 1903 10:52:37 +0000"},
        {"1 Jan 103 00:00 Z", "2003-01-01 00:00:00 +0 []", "Wed, 1 Jan 2003 00:00:00 +0000"},
        {"1 Jan 2003 00:00 z", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 00:00 A", "2003-01-01 00:00:00 -60 []", "Wed, 1 Jan 2003 00:00:00 -0100"},
        {"1 Jan 2003 00:00 M", "2003-01-01 00:00:00 -720 []", "Wed, 1 Jan 2003 00:00:00 -1200"},
        {"1 Jan 2003 00:00 Y", "2003-01-01 00:00:00 +720 []", "Wed, 1 Jan 2003 00:00:00 +1200"},
        {"1 Jan 2003 00:00 J", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 00:00 pdt", "2003-01-01 00:00:00 -420 []", "Wed, 1 Jan 2003 00:00:00 -0700"},
        {"1 Jan 2003 24:00 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 10:60 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Foo 2003 10:00 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"1 Jan 2003 10:00:61 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"Sat, 1 Jan 2039 03:14:08 +0000", "2039-01-01 03:14:08 +0 []", "Sat, 1 Jan 2039 03:14:08 +0000"},
        {"1 Jan 2003 00:00 +0900 (a zone name longer than nineteen bytes)",
         "2003-01-01 00:00:00 +540 [a zone name longer than nineteen bytes]",
         "Wed, 1 Jan 2003 00:00:00 +0900 (a zone name longer than nineteen bytes)"},
        {"", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
        {"(unterminated 1 Jan 2003 00:00 GMT", "1970-01-01 00:00:00 +0 []", "Thu, 1 Jan 1970 00:00:00 +0000"},
    };
    for (const auto& c : cases) {
        MimeDateTime date(MimeString(c.text), nullptr);
        date.Parse();
        EXPECT_EQ(Fields(date), c.fields) << c.text;
        EXPECT_FALSE(date.IsModified());
        date.SetModified();
        date.Compose();
        EXPECT_EQ(date.AsString(), c.composed) << c.text;
    }
}

TEST_F(MimeDateTimeTest, NewDateIsTheCurrentLocalTime) {
    MimeDateTime date;
    EXPECT_TRUE(date.IsModified());
    date.Compose();
    EXPECT_EQ(date.AsString(), "Tue, 1 Jul 2003 10:52:37 +0900 (KST)");
    EXPECT_EQ(date.AsUnixTime(), FixedNow());
    MimeHeaders headers;
    headers.Date().FromUnixTime(FixedNow(), 0);
    headers.Compose();
    EXPECT_EQ(headers.AsString(), "Date: Tue, 1 Jul 2003 01:52:37 +0000 (UTC)\n");
}

TEST_F(MimeDateTimeTest, UnixTimeIs64Bit) {
    MimeDateTime date;
    const LONGLONG after2038 = 4102444800LL; // 2100-01-01 00:00:00 UTC
    date.FromUnixTime(after2038, 0);
    EXPECT_EQ(Fields(date), "2100-01-01 00:00:00 +0 [UTC]");
    EXPECT_EQ(date.AsUnixTime(), after2038);
    date.FromUnixTime(-86400, 0);
    EXPECT_EQ(Fields(date), "1969-12-31 00:00:00 +0 [UTC]");
    EXPECT_EQ(date.AsCalendarTime(), -86400);
    date.SetValues(2003, 13, 1, 0, 0, 0, 0, "");
    EXPECT_EQ(date.AsUnixTime(), 0);
}

TEST_F(MimeDateTimeTest, LocalZoneFollowsTheInjectedRules) {
    SetMimeTimeSource(&FixedNow, &EasternZone);
    MimeDateTime date;
    date.FromUnixTime(1057024357, 1);
    EXPECT_EQ(Fields(date), "2003-06-30 21:52:37 -240 [EDT]");
    date.FromUnixTime(1041379200, 1); // 2003-01-01 00:00 UTC
    EXPECT_EQ(Fields(date), "2002-12-31 19:00:00 -300 [EST]");
    date.SetLocalValues(2003, 8, 1, 12, 0, 0);
    EXPECT_EQ(Fields(date), "2003-08-01 12:00:00 -240 [EDT]");
    SetMimeTimeSource(&FixedNow, &UnknownZone);
    date.FromUnixTime(0, 1);
    EXPECT_EQ(Fields(date), "1970-01-01 00:00:00 +0 []");
    LONG offset = 7;
    char name[2];
    SetMimeTimeSource(&FixedNow, &SeoulZone);
    LocalZone(0, &offset, name, sizeof name);
    EXPECT_EQ(offset, 540);
    EXPECT_STREQ(name, "");
}

TEST(MimeTimeTest, JulianDaysAndBrokenDownTime) {
    EXPECT_EQ(DateToJdn(2000, 1, 1), 2451545);
    EXPECT_EQ(DateToJdn(1970, 1, 1), 2440588);
    for (LONGLONG jdn : {2440588LL, 2451545LL, 2299161LL, 2816788LL, 1721426LL}) {
        LONGLONG y, m, d;
        JdnToDate(jdn, &y, &m, &d);
        EXPECT_EQ(DateToJdn(y, m, d), jdn);
    }
    MimeBrokenDownTime tm;
    TimeToBrokenDownUtc(0, &tm);
    EXPECT_EQ(tm.tm_wday, 4); // Thursday
    EXPECT_EQ(tm.tm_yday, 0);
    TimeToBrokenDownUtc(951782400, &tm); // 2000-02-29
    EXPECT_EQ(tm.tm_year, 100);
    EXPECT_EQ(tm.tm_mon, 1);
    EXPECT_EQ(tm.tm_mday, 29);
    EXPECT_EQ(tm.tm_yday, 59);
    EXPECT_EQ(tm.tm_wday, 2);
    EXPECT_EQ(BrokenDownUtcToTime(tm), 951782400);
}

TEST(MimeTimeTest, MinimalStandardGenerator) {
    DWORD state = 1;
    EXPECT_EQ(NextRandom(&state), 16807u);
    EXPECT_EQ(state, 16807u);
    // Against the plain 64-bit computation.
    unsigned long long reference = 123456789;
    DWORD s = 123456789;
    for (int i = 0; i < 10000; ++i) {
        reference = reference * 16807 % 2147483647;
        ASSERT_EQ(NextRandom(&s), reference);
    }
}
