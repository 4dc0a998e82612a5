#include "mime_field.h"
#include "mime_stamp.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

const char kDate[] = "Tue, 1 Jul 2003 10:52:37 +0900";

struct StampCase {
    std::string text;
    const char* from;
    const char* by;
    const char* via;
    const char* with;
    const char* id;
    const char* forClause;
    int year;
    const char* composed;
};

TEST(MimeStampTest, ParsesAndComposesLikeTheTable) {
    const std::string date = kDate;
    const StampCase cases[] = {
        {"from a by b with SMTP id 42; " + date, "a", "b", "", "SMTP", "42", "", 2003,
         "from a by b with SMTP id 42; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"by b from a; " + date, "", "b from a", "", "", "", "", 2003,
         "by b from a; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"from a (x y) by b; " + date, "a (x y)", "b", "", "", "", "", 2003,
         "from a (x y) by b; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"junk words from a for x by y; " + date, "a", "", "", "", "", "x by y", 2003,
         "from a for x by y; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"FROM a  VIA  b\tWith c; " + date, "a", "", "b", "c", "", "", 2003,
         "from a via b with c; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"from a\n\tby b\n id 7;\n " + date, "a", "b", "", "", "7", "", 2003,
         "from a by b id 7; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"from a from b; " + date, "a from b", "", "", "", "", "", 2003,
         "from a from b; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"from a; b; " + date, "a; b", "", "", "", "", "", 2003, "from a; b; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"from a by b", "a", "b", "", "", "", "", 1970, "from a by b; Thu, 1 Jan 1970 00:00:00 +0000 (UTC)"},
        {"from (unclosed comment by b; " + date, "(unclosed comment by b", "", "", "", "", "", 2003,
         "from (unclosed comment by b; Tue, 1 Jul 2003 10:52:37 +0900"},
        {"; " + date, "", "", "", "", "", "", 2003, "; Tue, 1 Jul 2003 10:52:37 +0900"},
    };
    for (const StampCase& c : cases) {
        MimeStamp stamp(MimeString(c.text.c_str()), nullptr);
        stamp.Parse();
        EXPECT_EQ(stamp.From().ToStdString(), c.from) << c.text;
        EXPECT_EQ(stamp.By().ToStdString(), c.by) << c.text;
        EXPECT_EQ(stamp.Via().ToStdString(), c.via) << c.text;
        EXPECT_EQ(stamp.With().ToStdString(), c.with) << c.text;
        EXPECT_EQ(stamp.Id().ToStdString(), c.id) << c.text;
        EXPECT_EQ(stamp.For().ToStdString(), c.forClause) << c.text;
        EXPECT_EQ(stamp.Date().Year(), c.year) << c.text;
        EXPECT_FALSE(stamp.IsModified()) << c.text;
        stamp.SetModified();
        stamp.Compose();
        EXPECT_EQ(stamp.AsString().ToStdString(), c.composed) << c.text;
    }
}

TEST(MimeStampTest, ReadsTheDate) {
    MimeStamp stamp(MimeString((std::string("from a; ") + kDate).c_str()), nullptr);
    stamp.Parse();
    const MimeDateTime& date = stamp.Date();
    EXPECT_EQ(date.Month(), 7);
    EXPECT_EQ(date.Day(), 1);
    EXPECT_EQ(date.Hour(), 10);
    EXPECT_EQ(date.Minute(), 52);
    EXPECT_EQ(date.Second(), 37);
    EXPECT_EQ(date.Zone(), 540);
}

// A changed date marks the stamp, so it is composed again with the new date.
TEST(MimeStampTest, ChangingTheDateMarksTheStamp) {
    MimeStamp stamp(MimeString((std::string("from a; ") + kDate).c_str()), nullptr);
    stamp.Parse();
    stamp.Date().SetValues(2004, 2, 29, 1, 2, 3, -300, "");
    EXPECT_TRUE(stamp.IsModified());
    stamp.Compose();
    EXPECT_EQ(stamp.AsString().ToStdString(), "from a; Sun, 29 Feb 2004 01:02:03 -0500");

    MimeDateTime other("1 Jan 2000 00:00 GMT", nullptr);
    other.Parse();
    stamp.SetDate(other);
    EXPECT_TRUE(stamp.IsModified());
    EXPECT_EQ(stamp.Date().Parent(), &stamp);
    stamp.Compose();
    EXPECT_EQ(stamp.AsString().ToStdString(), "from a; 1 Jan 2000 00:00 GMT");

    stamp.Date().FromUnixTime(0, 0);
    EXPECT_TRUE(stamp.IsModified());
}

// A parsed Received field stays as parsed: its stamp does not mark the field.
TEST(MimeStampTest, ParsingInsideAFieldLeavesTheFieldUnchanged) {
    MimeField field(MimeString((std::string("Received: from a by b; ") + kDate + "\n").c_str()), nullptr);
    field.Parse();
    ASSERT_NE(field.FieldBody(), nullptr);
    EXPECT_EQ(field.FieldBody()->ClassId(), 20);
    EXPECT_FALSE(field.IsModified());
    EXPECT_FALSE(field.FieldBody()->IsModified());
    auto& stamp = static_cast<MimeStamp&>(*field.FieldBody());
    stamp.SetWith("ESMTP");
    EXPECT_TRUE(field.IsModified());
    field.Compose();
    EXPECT_EQ(field.AsString().ToStdString(),
              std::string("Received: from a by b with ESMTP; ") + kDate + "\n");
}

TEST(MimeStampTest, LongStampsFoldWithinTheLine) {
    MimeStamp stamp;
    stamp.SetFrom("mail-relay-number-one.example.com (mail-relay-number-one.example.com [192.0.2.1])");
    stamp.SetBy("mx.destination.example.org (Postfix)");
    stamp.SetWith("ESMTPS");
    stamp.SetId("4F3A2B1C0D");
    stamp.SetFor("<someone@destination.example.org>");
    stamp.Date().SetValues(2003, 7, 1, 10, 52, 37, 540, "");
    stamp.Compose();
    const std::string text = stamp.AsString().ToStdString();
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_LE(line.size() + 10, 75u) << line;
        if (count > 0) {
            EXPECT_EQ(line[0], ' ');
        }
    }
    EXPECT_GT(count, 1);

    MimeStamp reparsed(stamp.AsString(), nullptr);
    reparsed.Parse();
    EXPECT_EQ(reparsed.From(), stamp.From());
    EXPECT_EQ(reparsed.By(), stamp.By());
    EXPECT_EQ(reparsed.For(), stamp.For());
    EXPECT_EQ(reparsed.Date().Zone(), 540);
}

TEST(MimeStampTest, NewStampHasTheCurrentDateAndCopiesKeepTheirOwnDate) {
    MimeStamp stamp;
    EXPECT_EQ(stamp.ClassId(), 20);
    EXPECT_STREQ(stamp.ClassName(), "MimeStamp");
    EXPECT_GE(stamp.Date().Year(), 2020);
    stamp.SetFrom("a");
    MimeStamp copy(stamp);
    EXPECT_EQ(copy.Date().Parent(), &copy);
    copy.Date().SetValues(2001, 1, 1, 0, 0, 0, 0, "");
    EXPECT_NE(stamp.Date().Year(), 2001);
    std::unique_ptr<MimeMessageComponent> clone = stamp.Clone();
    EXPECT_EQ(static_cast<MimeStamp&>(*clone).From().ToStdString(), "a");
    EXPECT_EQ(static_cast<MimeStamp&>(*clone).Date().Parent(), clone.get());
}

} // namespace
