#include "string_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct ReplaceCase {
    std::string text, find, replacement;
    int matchCase;
    std::string expected;
};

TEST(ReplaceAll, Table) {
    const ReplaceCase cases[] = {
        {"A.TMP.tmp", ".tmp", ".mht", 0, "A.mht.mht"},
        {"A.TMP.tmp", ".tmp", ".mht", 1, "A.TMP.mht"},
        {"A.TMP.tmp", ".tmp", ".mht", 2, "A.mht.mht"}, // only 1 means exact
        {"", "x", "y", 1, ""},
        {"aaa", "aa", "b", 1, "ba"}, // occurrences do not overlap
        {"abc", "", "x", 1, "abc"},  // an empty pattern changes nothing
        {"SRC=a.gif src=b.gif", "src=", "data=", 0, "data=a.gif data=b.gif"},
        {"\xB0\xA1x\xB0\xA1", "\xB0\xA1", "-", 0, "-x-"}, // Korean bytes match as they are
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement, c.matchCase), c.expected) << c.text;
}

TEST(FindNoCase, Table) {
    EXPECT_EQ(FindNoCase("Content-Type", "TYPE", 0), 8);
    EXPECT_EQ(FindNoCase("Content-Type", "type", 9), -1);
    EXPECT_EQ(FindNoCase("abc", "b", -1), -1);
    EXPECT_EQ(FindNoCase("abc", "b", 10), -1);
    EXPECT_EQ(FindNoCase("abc", "", 1), 1);
}

TEST(ToLowerAscii, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(ToLowerAscii("ABC xyz 123"), "abc xyz 123");
    EXPECT_EQ(ToLowerAscii("\xC3\x89"), "\xC3\x89");                 // É in UTF-8
    EXPECT_EQ(ToLowerAscii("\xC9"), "\xC9");                         // É in Latin-1
    EXPECT_EQ(ToLowerAscii("\xC7\xD1\xB1\xDB"), "\xC7\xD1\xB1\xDB"); // 한글 in code page 949
    EXPECT_EQ(ToLowerAscii("AB\0CD"s), "ab");                        // looks no further than a NUL
}

TEST(LfToCrLf, Table) {
    EXPECT_EQ(LfToCrLf("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(LfToCrLf("\nx"), "\r\nx");
    EXPECT_EQ(LfToCrLf("a\rb"), "a\rb");
    EXPECT_EQ(LfToCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(LfToCrLf(""), "");
    EXPECT_EQ(LfToCrLf("a\nb\0c\n"s), "a\r\nb");

    // Appended in pieces, a line feed at a piece's start looks at the byte before it.
    std::string out;
    EXPECT_TRUE(AppendLfToCrLf(out, "a\r"));
    EXPECT_TRUE(AppendLfToCrLf(out, "\nb\n"));
    EXPECT_TRUE(AppendLfToCrLf(out, "\n"));
    EXPECT_FALSE(AppendLfToCrLf(out, "c\0d\n"s));
    EXPECT_EQ(out, "a\r\nb\r\n\r\nc");
}

TEST(TrimSpaces, Table) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces(""), "");
    EXPECT_EQ(TrimSpaces("\ta\n"), "\ta\n"); // only blanks go
}

} // namespace
