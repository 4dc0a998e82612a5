// Calendar through IDispatch by name: Convert, then the three result properties.
#include "calendar_object.h"
#include "dispatch_caller.h"

using kestrum_test::CallByName;
using kestrum_test::NumberOf;
using qx::com::Variant;

namespace {

struct DateCase {
    LONG year, month, day;
    bool lunar;
    LONG wantYear, wantMonth, wantDay;
};

TEST(CalendarObject, ConvertsByNameWithEdgeCases) {
    static const DateCase kCases[] = {
        {1921, 2, 8, false, 1921, 1, 1},                                   // first lunar day
        {1921, 1, 1, true, 1921, 2, 8},      {1921, 2, 7, false, 0, 0, 0}, // before the tables
        {1921, 1, 1, false, 0, 0, 0},        {1920, 6, 1, false, 0, 0, 0},
        {2038, 1, 1, false, 0, 0, 0},        {2000, 0, 1, false, 0, 0, 0},
        {2000, 1, 0, false, 0, 0, 0},        {2000, 13, 1, false, 0, 0, 0},
        {2000, 13, 1, true, 0, 0, 0},        {-1, -1, -1, false, 0, 0, 0},
        {2000, -3, 5, true, 0, 0, 0},        {2001, 2, 29, false, 0, 0, 0},
        {2000, 2, 29, false, 2000, 1, 25},   {2000, 1, 31, true, 0, 0, 0}, // lunar day 31
        {1988, 2, 18, false, 1988, 1, 1},                                  // Korean New Year 1988
        {1997, 2, 8, false, 1997, 1, 1},                                   // Korean New Year 1997
        {1999, 12, 31, false, 1999, 11, 24}, {1999, 11, 24, true, 1999, 12, 31},
    };
    auto calendar = kestrum_test::MakeObject<CCalendar>();
    for (const DateCase& c : kCases) {
        SCOPED_TRACE(testing::Message()
                     << c.year << "-" << c.month << "-" << c.day << (c.lunar ? " lunar" : ""));
        auto done = CallByName(calendar.Get(), u"convert",
                               {Variant(c.year), Variant(c.month), Variant(c.day), Variant(c.lunar)});
        ASSERT_EQ(done.hr, S_OK);
        EXPECT_EQ(NumberOf(CallByName(calendar.Get(), u"resultYear", {}, DISPATCH_PROPERTYGET).value),
                  c.wantYear);
        EXPECT_EQ(NumberOf(CallByName(calendar.Get(), u"RESULTMONTH", {}, DISPATCH_PROPERTYGET).value),
                  c.wantMonth);
        EXPECT_EQ(NumberOf(CallByName(calendar.Get(), u"resultDay", {}, DISPATCH_PROPERTYGET).value),
                  c.wantDay);
    }
}

TEST(CalendarObject, ResultsAreZeroBeforeTheFirstConversion) {
    auto calendar = kestrum_test::MakeObject<CCalendar>();
    for (const char16_t* name : {u"resultYear", u"resultMonth", u"resultDay"}) {
        auto got = CallByName(calendar.Get(), name, {}, DISPATCH_PROPERTYGET);
        EXPECT_EQ(got.hr, S_OK);
        EXPECT_EQ(NumberOf(got.value), 0);
    }
}

} // namespace
