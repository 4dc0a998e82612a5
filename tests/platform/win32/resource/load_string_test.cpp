#include "resource_test_support.h"
#include "test_texts.h"
#include "winerror.h"
#include "winresource.h"

#include <iconv.h>
#include <string>

namespace {

using qx::resource::testing::ModuleTest;
using qx::resource::testing::Source;
using qxtest::Cp949;

class LoadStringTest : public ModuleTest {};

TEST_P(LoadStringTest, FindsStringsAcrossBlocksAndLanguages) {
    struct Case {
        UINT id;
        std::u16string text;
    } cases[] = {
        {1, u"first"},          {15, u"last of block one"}, {16, u"first of block two"},
        {17, u"줄\n바꿈"},      {100, u"한국어 문자열"}, // Korean before neutral
        {101, u"only neutral"}, {300, u"English only"},  // any language last
    };
    for (const auto& c : cases) {
        WCHAR buffer[64];
        int n = LoadStringW(module_, c.id, buffer, 64);
        EXPECT_EQ(std::u16string(buffer, n), c.text) << c.id;
        EXPECT_EQ(buffer[n], 0) << c.id;
    }
}

TEST_P(LoadStringTest, MissingStringsGiveZero) {
    for (UINT id : {0u, 2u, 14u, 18u, 99u, 5000u, 70000u}) {
        WCHAR wide[8] = {u'x'};
        SetLastError(0);
        EXPECT_EQ(LoadStringW(module_, id, wide, 8), 0) << id;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND)) << id;
        EXPECT_EQ(wide[0], 0) << id;
        char narrow[8] = {'x'};
        EXPECT_EQ(LoadStringA(module_, id, narrow, 8), 0) << id;
        EXPECT_EQ(narrow[0], '\0') << id;
    }
}

TEST_P(LoadStringTest, ZeroLengthBufferGetsAPointerIntoTheModule) {
    const WCHAR* text = nullptr;
    int n = LoadStringW(module_, 16, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_EQ(n, 18);
    EXPECT_EQ(std::u16string(text, n), u"first of block two");
}

TEST_P(LoadStringTest, WideTruncatesToTheBuffer) {
    WCHAR buffer[6];
    EXPECT_EQ(LoadStringW(module_, 1, buffer, 6), 5);
    EXPECT_EQ(std::u16string(buffer), u"first");
    EXPECT_EQ(LoadStringW(module_, 15, buffer, 6), 5);
    EXPECT_EQ(std::u16string(buffer), u"last ");
}

TEST_P(LoadStringTest, AnsiIsCodePage949AndKeepsCharactersWhole) {
    char buffer[64];
    int n = LoadStringA(module_, 100, buffer, sizeof(buffer));
    EXPECT_EQ(std::string(buffer, n), Cp949("한국어 문자열"));
    // "한국어" is six bytes; five bytes of room hold two characters, not two and a half.
    char small[6];
    n = LoadStringA(module_, 100, small, sizeof(small));
    EXPECT_EQ(n, 4);
    EXPECT_EQ(std::string(small), Cp949("한국"));
    EXPECT_EQ(LoadStringA(module_, 1, small, 1), 0);
    EXPECT_EQ(small[0], '\0');
    SetLastError(0);
    EXPECT_EQ(LoadStringA(module_, 1, nullptr, 10), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_P(LoadStringTest, BlocksAreTheWindowsLayout) {
    // Block 2 holds strings 16 to 31: two set, fourteen empty.
    HRSRC block = FindResourceExA(module_, RT_STRING, MAKEINTRESOURCEA(2), 1042);
    ASSERT_NE(block, nullptr);
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module_, block)));
    std::size_t size = SizeofResource(module_, block);
    EXPECT_EQ(size, 2u * 16 + 2 * (18 + 4));
    EXPECT_EQ(data[0] | (data[1] << 8), 18);
}

INSTANTIATE_TEST_SUITE_P(Modules, LoadStringTest, ::testing::Values(Source::Loaded, Source::Static),
                         qx::resource::testing::SourceName);

} // namespace
