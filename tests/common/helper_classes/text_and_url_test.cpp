#include "string_array.h"
#include "string_helpers.h"
#include "text_helper.h"
#include "url_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "한" and "글" in code page 949.
const std::string kHan = "\xC7\xD1";
const std::string kGeul = "\xB1\xDB";

struct TextCase {
    std::string input, expected;
};

TEST(UrlText, Escape) {
    const TextCase cases[] = {
        {"", ""},
        {"a b", "a%20b"},
        {"a%20b.gif", "a%20b.gif"},
        {"/" + kHan + kGeul + ".htm", "/%c7%d1%b1%db.htm"},
        {" " + kHan + " ", "%20%c7%d1%20"},
        {"x\xC7", "x%c7"}, // a lead byte at the end stands alone
        {"~!@#$&*()+=:;,?", "~!@#$&*()+=:;,?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlText::Escape(c.input), c.expected) << c.input;
}

TEST(UrlText, Unescape) {
    const TextCase cases[] = {
        {"", ""},
        {"a%20b", "a b"},
        {"%c7%D1%B1%db", kHan + kGeul},
        {"%41%4a%4A", "AJJ"},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz%2", "%zz%2"},
        {"%%41", "%A"},
        {"%00x", std::string("\0x", 2)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlText::Unescape(c.input), c.expected) << c.input;
}

TEST(UrlText, UnescapeUndoesEscape) {
    std::string text = "a b/" + kHan + " c" + kGeul + "%";
    EXPECT_EQ(UrlText::Unescape(UrlText::Escape(text)), text);
}

TEST(TextHelper, Filters) {
    EXPECT_EQ(TextHelper::RemoveBlanks(" a b  c "), "abc");
    EXPECT_EQ(TextHelper::RemoveBlanks("a\tb\n"), "a\tb\n");
    EXPECT_EQ(TextHelper::RemoveTags("<b>bold</b> and <i>x"), "bold and x");
    EXPECT_EQ(TextHelper::RemoveTags("a<b c"), "a");
    EXPECT_EQ(TextHelper::RemoveTags("a > b <br>c"), "a > b c");
    EXPECT_EQ(TextHelper::DoubleByteOnly("a" + kHan + "1 " + kGeul + "z"), kHan + kGeul);
    EXPECT_EQ(TextHelper::DoubleByteOnly("ab\xC7"), "");
    EXPECT_EQ(TextHelper::LettersOnly("a1" + kHan + "B c&nbsp;d"), "aBcd");
    EXPECT_EQ(TextHelper::LettersOnly("nbnbspsp"), "nbsp");
    // The trail byte of a double-byte character is skipped with its lead, even when it is a letter.
    EXPECT_EQ(TextHelper::LettersOnly("\x81\x41x"), "x");
}

TEST(StringHelpers, UpperCaseAndMultiString) {
    EXPECT_EQ(ToUpperAscii("abc-Z" + kHan), "ABC-Z" + kHan);
    StringArray array;
    array.FromMultiString("one\0two\0three\0\0ignored\0");
    ASSERT_EQ(array.Count, 3);
    EXPECT_EQ(array.At(2), "three");
    array.Clear();
    EXPECT_EQ(array.Count, 0);
}

} // namespace
