// The clipboard seen from its callers: open and close by thread, data owned once put, registered
// formats, and the global blocks the data travels in.
#include "winbase_global.h"
#include "winuser_clipboard.h"

#include "winerror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

HGLOBAL BlockWith(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::string Read(HANDLE block) {
    const auto* data = static_cast<const char*>(GlobalLock(block));
    std::string bytes(data, GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

class Clipboard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenClipboard(nullptr));
        ASSERT_TRUE(EmptyClipboard());
    }
    void TearDown() override { CloseClipboard(); }
};

TEST_F(Clipboard, DataPutIsReadBackAndReplacedPerFormat) {
    const UINT html = RegisterClipboardFormatW(u"HTML Format");
    ASSERT_NE(SetClipboardData(CF_TEXT, BlockWith("one")), nullptr);
    ASSERT_NE(SetClipboardData(html, BlockWith("<B>x</B>")), nullptr);
    ASSERT_NE(SetClipboardData(CF_TEXT, BlockWith("two")), nullptr);
    EXPECT_EQ(Read(GetClipboardData(CF_TEXT)), "two");
    EXPECT_EQ(Read(GetClipboardData(html)), "<B>x</B>");
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr); // nothing is synthesised
    EXPECT_EQ(CountClipboardFormats(), 2);
    EXPECT_EQ(EnumClipboardFormats(0), static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(EnumClipboardFormats(CF_TEXT), html);
    EXPECT_EQ(EnumClipboardFormats(html), 0u);
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(Clipboard, RegisteredNamesIgnoreCase) {
    const UINT a = RegisterClipboardFormatW(u"HTML Format");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatA("html format"), a);
    EXPECT_NE(RegisterClipboardFormatW(u"Rich Text Format"), a);
    EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
    char16_t name[6];
    EXPECT_EQ(GetClipboardFormatNameW(a, name, 6), 5);
    EXPECT_EQ(std::u16string(name), u"HTML ");
    EXPECT_EQ(GetClipboardFormatNameW(CF_TEXT, name, 6), 0);
}

TEST_F(Clipboard, AnotherThreadCannotOpenOrReadWhileOpenHere) {
    ASSERT_NE(SetClipboardData(CF_TEXT, BlockWith("mine")), nullptr);
    BOOL opened = TRUE;
    HANDLE read = reinterpret_cast<HANDLE>(1);
    std::thread other([&] {
        opened = OpenClipboard(nullptr);
        read = GetClipboardData(CF_TEXT);
    });
    other.join();
    EXPECT_FALSE(opened);
    EXPECT_EQ(read, nullptr);
    ASSERT_TRUE(CloseClipboard());
    std::thread later([&] {
        opened = OpenClipboard(nullptr);
        read = GetClipboardData(CF_TEXT);
        CloseClipboard();
    });
    later.join();
    EXPECT_TRUE(opened);
    EXPECT_EQ(Read(read), "mine");
    ASSERT_TRUE(OpenClipboard(nullptr));
}

TEST(ClipboardClosed, CallsNeedItOpen) {
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    EXPECT_FALSE(EmptyClipboard());
    HGLOBAL block = BlockWith("x");
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr); // still the caller's
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
}

TEST(GlobalMemory, HandlesAndLocks) {
    struct Case {
        UINT flags;
        bool handleIsAddress;
    };
    for (const Case& c : {Case{GMEM_FIXED, true}, Case{GMEM_MOVEABLE, false}, Case{GHND, false}}) {
        HGLOBAL block = GlobalAlloc(c.flags, 4);
        ASSERT_NE(block, nullptr);
        void* data = GlobalLock(block);
        EXPECT_EQ(data == block, c.handleIsAddress) << c.flags;
        EXPECT_EQ(GlobalSize(block), 4u);
        EXPECT_EQ(std::memcmp(data, "\0\0\0\0", 4), 0); // zeroed in any case
        EXPECT_FALSE(GlobalUnlock(block));
        EXPECT_EQ(GlobalFree(block), nullptr);
        EXPECT_EQ(GlobalFree(block), block);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(GlobalLock(block), nullptr);
    }
    EXPECT_EQ(GlobalAlloc(0x8000, 4), nullptr);
}

} // namespace
