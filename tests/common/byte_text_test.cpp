#include "byte_text.h"

#include <gtest/gtest.h>
#include <qx/win32/codepage.h>

#include <random>
#include <string>

namespace {

using namespace std::string_literals;

std::u16string AsText(BSTR text) {
    std::u16string result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

TEST(ByteText, EveryByteComesBack) {
    std::mt19937 rng(11);
    std::string random(1 << 16, '\0');
    for (char& c : random)
        c = static_cast<char>(rng() & 0xFF);
    const std::string cases[] = {
        random,
        "a\0b\0\0c"s,
        "\xC7\xD1\xB1\xDB\x80\xFF\xC7"s, // Korean, a byte of no character, a lead byte at the end
        "\xC7\x41\xC7\x20"s,             // lead bytes before a trail byte and before a blank
        ""s,
    };
    for (const std::string& bytes : cases) {
        BSTR text = BytesToBstr(bytes);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(BstrToBytes(text), bytes);
        SysFreeString(text);
    }
}

TEST(ByteText, TextsOfTheCodePageAreTheUsualOnes) {
    // Korean and ASCII convert as any ANSI text does, NUL characters included.
    const std::string korean = "\xC7\xD1\xB1\xDB <p>\0x"s;
    EXPECT_EQ(AsText(BytesToBstr(korean)), qx::win32::AnsiToWide(korean));
    // The stray byte becomes U+DC00 + byte.
    EXPECT_EQ(AsText(BytesToBstr("\xC7\xD1\xFF"s)), (std::u16string{0xD55C, 0xDCFF}));

    // Text typed by a user converts as before; a character the code page lacks is "?".
    const std::u16string typed = u"\uD55C\uAE00 \u00E9\u4E00";
    BSTR text = SysAllocStringLen(typed.data(), static_cast<UINT>(typed.size()));
    EXPECT_EQ(BstrToBytes(text), qx::win32::WideToAnsi(typed));
    SysFreeString(text);
    EXPECT_EQ(BstrToBytes(nullptr), "");
}

} // namespace
