// The documented conversion contract: sizes, short buffers, default characters, invalid
// input, flags and UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "stringapiset.h"
#include "winerror.h"
#include "winnls.h"

namespace {

std::u16string Wide(UINT cp, const std::string& bytes, DWORD flags = 0) {
    int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    if (n > 0) {
        MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    }
    return out;
}

std::string Narrow(UINT cp, const std::u16string& text) {
    int n =
        WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0) {
        WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
    }
    return out;
}

TEST(CodePages, AnsiIs949ByDefaultAndOemFollows) {
    EXPECT_EQ(GetACP(), 949u);
    EXPECT_EQ(GetOEMCP(), 949u);
    EXPECT_TRUE(IsValidCodePage(949));
    EXPECT_TRUE(IsValidCodePage(CP_UTF8));
    EXPECT_FALSE(IsValidCodePage(12345));
}

TEST(CodePages, LeadBytesOf949) {
    EXPECT_FALSE(IsDBCSLeadByte(0x41));
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0xB0));
    EXPECT_TRUE(IsDBCSLeadByte(0xFE));
    EXPECT_FALSE(IsDBCSLeadByte(0xFF));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xC3));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0xB0));
}

TEST(CodePages, TheHookChoosesAnotherAnsiCodePage) {
    ASSERT_TRUE(qx::win32::SetAnsiCodePage(1252));
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(Wide(CP_ACP, "\xE9"), u"\u00E9");
    EXPECT_FALSE(qx::win32::SetAnsiCodePage(12345));
    EXPECT_EQ(GetACP(), 1252u);
    ASSERT_TRUE(qx::win32::SetAnsiCodePage(0));
    EXPECT_EQ(GetACP(), 949u);
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

class Decoding949 : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding949, BytesWithoutMappingBecomeQuestionMarks) {
    EXPECT_EQ(Wide(949, GetParam().bytes), GetParam().expected);
    if (GetParam().expected.find(u'?') != std::u16string::npos &&
        GetParam().bytes.find('?') == std::string::npos) {
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, GetParam().bytes.data(),
                                      static_cast<int>(GetParam().bytes.size()), nullptr, 0),
                  0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decoding949,
    ::testing::Values(DecodeCase{"ascii", "abc", u"abc"}, DecodeCase{"byte80", "a\x80z", u"a?z"},
                      DecodeCase{"byteFF", "\xFF", u"?"}, DecodeCase{"leadAtEnd", "ab\xB0", u"ab?"},
                      DecodeCase{"leadBeforeAscii", "\xB0\x20x", u"? x"},
                      DecodeCase{"leadBeforeDigit",
                                 "\xB0"
                                 "1",
                                 u"?1"},
                      DecodeCase{"unmappedPair", "\xC9\x41z", u"?z"},
                      DecodeCase{"twoSyllables", "\xB0\xA1\xB0\xA1", u"\uAC00\uAC00"},
                      DecodeCase{"userDefinedRow", "\xFE\xA1z", u"?z"},
                      DecodeCase{"embeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Conversion, SizeQueriesAndTerminators) {
    const char* text = "\xB0\xA1z";                                  // 가z
    EXPECT_EQ(MultiByteToWideChar(949, 0, text, -1, nullptr, 0), 3); // with the terminator
    EXPECT_EQ(MultiByteToWideChar(949, 0, text, 3, nullptr, 0), 2);
    WCHAR wide[3];
    EXPECT_EQ(MultiByteToWideChar(949, 0, text, -1, wide, 3), 3);
    EXPECT_EQ(wide[0], u'\uAC00');
    EXPECT_EQ(wide[2], u'\0');
    EXPECT_EQ(WideCharToMultiByte(949, 0, wide, -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(949, 0, wide, 2, nullptr, 0, nullptr, nullptr), 3);
}

TEST(Conversion, ShortBuffersFail) {
    WCHAR wide[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(949, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // A double-byte character never goes out half.
    char bytes[3] = {'x', 'x', 'x'};
    EXPECT_EQ(WideCharToMultiByte(949, 0, u"a\uAC00", 2, bytes, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(bytes[1], 'x');
    EXPECT_EQ(WideCharToMultiByte(949, 0, u"a\uAC00", 2, bytes, 3, nullptr, nullptr), 3);
}

TEST(Conversion, DefaultCharacterAndItsReport) {
    BOOL used = FALSE;
    char out[16];
    // A character outside the BMP is one character, replaced once.
    std::u16string text = u"a\U0001F600\u0E01b";
    int n = WideCharToMultiByte(949, 0, text.data(), static_cast<int>(text.size()), out, 16, nullptr, &used);
    EXPECT_EQ(std::string(out, n), "a??b");
    EXPECT_TRUE(used);
    n = WideCharToMultiByte(949, 0, text.data(), static_cast<int>(text.size()), out, 16, "*", &used);
    EXPECT_EQ(std::string(out, n), "a**b");
    n = WideCharToMultiByte(949, 0, text.data(), static_cast<int>(text.size()), out, 16, "\xA1\xDA", &used);
    EXPECT_EQ(std::string(out, n), "a\xA1\xDA\xA1\xDA"
                                   "b");
    n = WideCharToMultiByte(949, 0, u"ok", 2, out, 16, nullptr, &used);
    EXPECT_FALSE(used);
    // A lone surrogate has no mapping either.
    n = WideCharToMultiByte(949, 0, u"\xD800x", 2, out, 16, nullptr, &used);
    EXPECT_EQ(std::string(out, n), "?x");
}

TEST(Conversion, BadArgumentsFail) {
    WCHAR wide[4];
    char bytes[4];
    struct {
        int result;
        DWORD error;
    } cases[] = {
        {MultiByteToWideChar(949, 0, nullptr, 3, wide, 4), ERROR_INVALID_PARAMETER},
        {MultiByteToWideChar(949, 0, "a", 0, wide, 4), ERROR_INVALID_PARAMETER},
        {MultiByteToWideChar(949, 0, "a", -2, wide, 4), ERROR_INVALID_PARAMETER},
        {MultiByteToWideChar(949, 0, "a", 1, nullptr, 4), ERROR_INVALID_PARAMETER},
        {MultiByteToWideChar(12345, 0, "a", 1, wide, 4), ERROR_INVALID_PARAMETER},
        {MultiByteToWideChar(949, 0x100, "a", 1, wide, 4), ERROR_INVALID_FLAGS},
        {MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4), ERROR_INVALID_FLAGS},
        {WideCharToMultiByte(949, 0, nullptr, 1, bytes, 4, nullptr, nullptr), ERROR_INVALID_PARAMETER},
        {WideCharToMultiByte(949, 0, u"a", 0, bytes, 4, nullptr, nullptr), ERROR_INVALID_PARAMETER},
        {WideCharToMultiByte(949, WC_ERR_INVALID_CHARS, u"a", 1, bytes, 4, nullptr, nullptr),
         ERROR_INVALID_FLAGS},
        {WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr), ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, 0);
    }
    // Each call above set its own error; check them one by one.
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(949, 0x100, "a", 1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &cases[0].result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

class Utf8Decoding : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Decoding, InvalidSequencesBecomeOneReplacementEach) {
    EXPECT_EQ(Wide(CP_UTF8, GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Decoding,
                         ::testing::Values(Utf8Case{"hangul", "\xEA\xB0\x80", u"\uAC00"},
                                           Utf8Case{"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
                                           Utf8Case{"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
                                           Utf8Case{"surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                                           Utf8Case{"truncated", "\xE1\x80z", u"\uFFFDz"},
                                           Utf8Case{"tooHigh", "\xF4\x90\x80\x80",
                                                    u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                                           Utf8Case{"strayContinuation", "a\x80", u"a\uFFFD"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8, EncodingAndStrictness) {
    EXPECT_EQ(Narrow(CP_UTF8, u"\uAC00\U0001F600"), "\xEA\xB0\x80\xF0\x9F\x98\x80");
    EXPECT_EQ(Narrow(CP_UTF8, u"\xDC00"), "\xEF\xBF\xBD");
    char out[8];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xDC00", 1, out, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\xAF", 2, nullptr, 0), 0);
    // A surrogate pair needs room for both halves.
    WCHAR wide[1];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, wide, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(TextConversions, ReportLoss) {
    bool lossy = false;
    EXPECT_EQ(qx::win32::Utf8ToAnsi("가\xE0\xB8\x81", &lossy), "\xB0\xA1?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(qx::win32::Utf8ToAnsi("가", &lossy), "\xB0\xA1");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(qx::win32::AnsiToUtf8("\x80", &lossy), "?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(qx::win32::WideToUtf8(u""), "");
    EXPECT_EQ(qx::win32::Utf8ToWide("a\xEA\xB0\x80"), u"a\uAC00");
}

} // namespace
