// Edit controls: text, selection, limits and what typing does, with the notifications each sends.
#include "control_test_support.h"

#include "winuser_input.h"

namespace {

using namespace qx::win32::testing;

class EditTest : public ControlTest {
protected:
    std::pair<DWORD, DWORD> Selection(HWND edit) {
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    void Type(HWND edit, std::string_view bytes) {
        for (char c : bytes) {
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
        }
    }
};

TEST_F(EditTest, SelectionAndReplacement) {
    HWND edit = Make("EDIT", ES_AUTOHSCROLL, 10, "hello");
    struct Case {
        int start, end;
        const char* insert;
        const char* text;
        DWORD caret;
    };
    const Case cases[] = {
        {1, 3, "XY", "hXYlo", 3}, // the selection is replaced, the caret follows the insert
        {4, 2, "", "hXo", 2},     // the ends are put in order
        {0, -1, "new", "new", 3}, // 0, -1 selects everything
        {-1, 0, "!", "new!", 4},  // a negative start keeps the caret where it was
        {2, 99, "", "ne", 2},     // an end past the text is its end
    };
    for (const auto& c : cases) {
        SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.insert));
        EXPECT_EQ(Text(edit), c.text) << c.insert;
        EXPECT_EQ(Selection(edit), std::make_pair(c.caret, c.caret)) << c.insert;
    }
    Codes();
    SendMessageA(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELRESULT(0, 2));
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("z"));
    EXPECT_EQ(Codes(), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    EXPECT_EQ(SendMessageA(edit, EM_GETMODIFY, 0, 0), TRUE);
}

TEST_F(EditTest, TheLimitCutsInsertsOnACharacterAndSaysSo) {
    HWND edit = Make("EDIT", 0);
    SendMessageA(edit, EM_LIMITTEXT, 5, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 5);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abcd"));
    Codes();
    // "가나" in code page 949: two double-byte characters, of which only half of one would fit.
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\xB0\xA1\xB3\xAA"));
    EXPECT_EQ(Text(edit), "abcd");
    EXPECT_EQ(Codes(), (std::vector<int>{EN_MAXTEXT}));
    Type(edit, "xyz");
    EXPECT_EQ(Text(edit), "abcdx");
    // WM_SETTEXT is not bound by the limit.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("longer than five"));
    EXPECT_EQ(Text(edit), "longer than five");
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(EditTest, TypingFollowsTheStyle) {
    struct Case {
        DWORD style;
        const char* typed;
        const char* text;
    };
    const Case cases[] = {
        {0, "ab\bc", "ac"},
        {ES_NUMBER, "1a2-3", "123"},
        {ES_UPPERCASE, "aBc", "ABC"},
        {ES_LOWERCASE, "aBc", "abc"},
        {ES_READONLY, "abc", ""},
        {0, "a\rb\tc", "abc"}, // a single line takes no line breaks or tabs
        {ES_MULTILINE, "a\rb", "a\r\nb"},
        {0, "\xC7\xD1\xB1\xDB\b", "\xC7\xD1"}, // "한글", then Backspace takes "글" whole
    };
    for (const auto& c : cases) {
        HWND edit = Make("EDIT", c.style);
        Type(edit, c.typed);
        EXPECT_EQ(Text(edit), c.text) << c.typed;
        DestroyWindow(edit);
    }
}

TEST_F(EditTest, WhatEachChangeTellsTheParent) {
    HWND single = Make("EDIT", 0, 11);
    HWND multi = Make("EDIT", ES_MULTILINE, 12);
    Codes();
    SendMessageA(single, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a"));
    EXPECT_EQ(Codes(), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    SendMessageA(multi, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\r\nb\r\nc"));
    EXPECT_EQ(Codes(), std::vector<int>{}); // a multiline edit keeps quiet about its program's text
    EXPECT_EQ(SendMessageA(multi, EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(single, EM_GETLINECOUNT, 0, 0), 1);
    Type(multi, "x");
    EXPECT_EQ(Codes(), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    SendMessageA(multi, EM_SETSEL, 0, 0);
    SendMessageA(multi, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Text(multi), "a\r\nb\r\nc"); // the typed "x" went in at the start
    EXPECT_EQ(Codes(), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    SendMessageA(multi, WM_KEYDOWN, VK_END, 0);
    SendMessageA(multi, WM_KEYDOWN, VK_DELETE, 0); // nothing after the end
    EXPECT_EQ(Codes(), std::vector<int>{});
}

} // namespace
