// The code-point codec every UTF-8 / UTF-16 conversion of the platform goes through.
#include "qx/win32/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qx::win32::DecodeUtf16;
using qx::win32::DecodeUtf8;

struct Utf8Case {
    const char* name;
    std::string bytes;
    long codePoint; // -1: ill-formed
    std::size_t consumed;
};

TEST(UtfCodec, DecodesOneUtf8SequenceAndMeasuresBadOnes) {
    const Utf8Case cases[] = {
        {"ascii", "A", 0x41, 1},
        {"two bytes", "\xC3\xA9x", 0xE9, 2},
        {"three bytes", "\xED\x95\x9C", 0xD55C, 3},
        {"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4},
        {"last code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"overlong two", "\xC0\xAF", -1, 1},
        {"overlong three", "\xE0\x80\xAE", -1, 1},
        {"surrogate", "\xED\xA0\x80", -1, 1},
        {"beyond the last plane", "\xF4\x90\x80\x80", -1, 1},
        {"lone continuation", "\x80", -1, 1},
        {"cut short keeps its valid prefix", "\xE2\x82", -1, 2},
        {"broken by ascii",
         "\xF0\x9F\x98"
         "A",
         -1, 3},
    };
    for (const auto& c : cases) {
        std::size_t consumed = 0;
        const long cp =
            DecodeUtf8(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), consumed);
        EXPECT_EQ(cp, c.codePoint) << c.name;
        EXPECT_EQ(consumed, c.consumed) << c.name;
    }
}

TEST(UtfCodec, EncodesEveryRangeBothWaysAndBack) {
    const char32_t codePoints[] = {0x0, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF};
    for (char32_t cp : codePoints) {
        std::string utf8;
        qx::win32::AppendUtf8(cp, utf8);
        std::size_t consumed = 0;
        EXPECT_EQ(DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), consumed),
                  static_cast<long>(cp));
        EXPECT_EQ(consumed, utf8.size());
        std::u16string utf16;
        qx::win32::AppendUtf16(cp, utf16);
        EXPECT_EQ(utf16.size(), cp >= 0x10000 ? 2u : 1u);
        EXPECT_EQ(DecodeUtf16(utf16.data(), utf16.size(), consumed), static_cast<long>(cp));
        EXPECT_EQ(consumed, utf16.size());
    }
}

struct Utf16Case {
    const char* name;
    std::u16string units;
    long codePoint;
    std::size_t consumed;
    bool wellFormed; // of the whole text
};

TEST(UtfCodec, PairsSurrogatesAndRefusesLoneOnes) {
    const Utf16Case cases[] = {
        {"pair", u"\xD83D\xDE00", 0x1F600, 2, true},
        {"lone high at the end", u"\xD83D", -1, 1, false},
        {"high before a letter",
         u"\xD83D"
         u"A",
         -1, 1, false},
        {"lone low",
         u"\xDE00"
         u"A",
         -1, 1, false},
        {"low then high", u"\xDE00\xD83D", -1, 1, false},
        {"plain", u"\x20AC", 0x20AC, 1, true},
    };
    for (const auto& c : cases) {
        std::size_t consumed = 0;
        EXPECT_EQ(DecodeUtf16(c.units.data(), c.units.size(), consumed), c.codePoint) << c.name;
        EXPECT_EQ(consumed, c.consumed) << c.name;
        EXPECT_EQ(qx::win32::IsWellFormedUtf16(c.units), c.wellFormed) << c.name;
    }
}

} // namespace
