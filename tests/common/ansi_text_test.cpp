#include "ansi_text.h"

#include <gtest/gtest.h>
#include <qx/com/bstr.h>

#include <string>

namespace {

using namespace std::string_literals;

struct ToAnsiCase {
    const char* name;
    std::u16string text;
    std::string ansi;
    bool exact;
};

TEST(AnsiText, BstrToAnsiAndItsExactForm) {
    const ToAnsiCase cases[] = {
        {"ascii", u"Data", "Data", true},
        {"korean", u"\xD55C\xAE00", "\xC7\xD1\xB1\xDB", true},
        {"empty", u"", "", true},
        {"no mapping becomes ?", u"a\x0E01", "a?", false},
        {"a NUL inside", u"a\0b"s, "a\0b"s, false},
    };
    for (const auto& c : cases) {
        qx::com::Bstr text(c.text);
        EXPECT_EQ(BstrToAnsi(text.Get()), c.ansi) << c.name;
        std::string exact = "stale";
        EXPECT_EQ(BstrToAnsiExact(text.Get(), exact), c.exact) << c.name;
        if (c.exact) {
            EXPECT_EQ(exact, c.ansi) << c.name;
        }
    }
}

TEST(AnsiText, NullAndLengthForms) {
    EXPECT_EQ(BstrToAnsi(nullptr), "");
    EXPECT_EQ(BstrToAnsi(nullptr, 4), "");
    std::string exact = "stale";
    EXPECT_TRUE(BstrToAnsiExact(nullptr, exact));
    EXPECT_EQ(exact, "");
    qx::com::Bstr text(u"\xD55C"
                       u"abc");
    EXPECT_EQ(BstrToAnsi(text.Get(), 2), "\xC7\xD1"
                                         "a");
    EXPECT_EQ(BstrToAnsi(text.Get(), 0), "");
}

TEST(AnsiText, AnsiToBstrRoundTrips) {
    const std::string texts[] = {"", "plain", "\xC7\xD1\xB1\xDB", "a\0b"s};
    for (const auto& ansi : texts) {
        BSTR text = AnsiToBstr(ansi);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(BstrToAnsi(text), ansi);
        SysFreeString(text);
    }
}

} // namespace
