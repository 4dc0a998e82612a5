#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "control_test_support.h"
#include "winmodule.h"

namespace qx::win32::commctrl {
namespace {

using testing::ParentWindow;

class RichEditWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = parent.CreateChildA(RICHEDIT_CLASSA, ES_MULTILINE, 9);
        ASSERT_NE(edit, nullptr);
    }
    std::string Range(LONG min, LONG max) {
        std::string buffer(max < 0 ? 4096 : static_cast<size_t>(max - min) * 2 + 1, '\0');
        TEXTRANGEA range{{min, max}, buffer.data()};
        buffer.resize(
            static_cast<size_t>(SendMessageA(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
        return buffer;
    }
    CHARRANGE Selection() {
        CHARRANGE range{};
        SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    ParentWindow parent;
    HWND edit = nullptr;
};

TEST_F(RichEditWindowTest, TheLibrariesLoadByName) {
    for (const char* name : {"RICHED20.DLL", "RICHED32.DLL", "RICHED32.dll", "RICHED20.dll"}) {
        HMODULE library = LoadLibraryA(name);
        EXPECT_NE(library, nullptr) << name;
        EXPECT_TRUE(FreeLibrary(library));
    }
}

TEST_F(RichEditWindowTest, AMegabyteOfTextWithFindReplaceAndSelection) {
    std::string text;
    for (int i = 0; text.size() < (1u << 20); ++i) {
        text += "line " + std::to_string(i) + " of the long text\r\n";
    }
    text += "\xC7\xD1\xB1\xDB marker"; // "한글 marker"
    ASSERT_TRUE(SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())));
    // Each CR LF is one position inside; WM_GETTEXTLENGTH counts the bytes handed out.
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(text.size()));
    LONG lines = static_cast<LONG>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    LONG length = static_cast<LONG>(text.size()) - (lines - 1) - 2; // CR LF pairs and the two double bytes

    FINDTEXTEXA find{{0, -1}, "MARKER", {}};
    LONG found =
        static_cast<LONG>(SendMessageA(edit, EM_FINDTEXTEX, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
    EXPECT_EQ(found, length - 6);
    EXPECT_EQ(find.chrgText.cpMax, length);
    find.chrg = {0, -1};
    EXPECT_EQ(SendMessageA(edit, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), -1);
    EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(found), 0), lines - 1);
    EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0), length - 9);
    EXPECT_EQ(Range(length - 9, length - 6), "\xC7\xD1\xB1\xDB ");

    // The default limit (32,767) does not cut the text set, but stops a replacement: not silently.
    CHARRANGE selection{found, found + 6};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("needle!"));
    EXPECT_EQ(parent.Codes(WM_COMMAND), (std::vector<UINT>{EN_MAXTEXT}));
    EXPECT_EQ(Range(found, -1), "");
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 4 << 20);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 4 << 20);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("needle!!"));
    EXPECT_EQ(Range(found, -1), "needle!!");
    EXPECT_EQ(Selection().cpMin, found + 8);
    EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
    EXPECT_TRUE(SendMessageA(edit, EM_UNDO, 0, 0));
    EXPECT_TRUE(SendMessageA(edit, EM_UNDO, 0, 0));
    EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
    EXPECT_EQ(Range(found, -1), "marker");

    std::string all(text.size() + 16, '\0');
    LRESULT copied = SendMessageA(edit, WM_GETTEXT, all.size(), reinterpret_cast<LPARAM>(all.data()));
    EXPECT_EQ(all.substr(0, static_cast<size_t>(copied)), text);

    // Scrolling keeps the caret in view.
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), lines - 20);
    SendMessageA(edit, EM_LINESCROLL, 0, -lines);
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(RichEditWindowTest, EventMaskDecidesWhatTheParentHears) {
    struct Case {
        DWORD mask;
        std::vector<UINT> commands;
        std::vector<UINT> notices;
    } cases[] = {
        {ENM_NONE, {}, {}},
        {ENM_CHANGE, {EN_CHANGE}, {}},
        {ENM_SELCHANGE, {}, {EN_SELCHANGE}},
        {ENM_KEYEVENTS, {}, {EN_MSGFILTER}},
        {ENM_CHANGE | ENM_SELCHANGE | ENM_KEYEVENTS, {EN_CHANGE}, {EN_MSGFILTER, EN_SELCHANGE}},
    };
    for (const auto& c : cases) {
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
        EXPECT_EQ(SendMessageA(edit, EM_SETEVENTMASK, 0, static_cast<LPARAM>(c.mask)), 0);
        parent.events.clear();
        SendMessageA(edit, WM_CHAR, 'x', 0);
        EXPECT_EQ(parent.Codes(WM_COMMAND), c.commands) << c.mask;
        EXPECT_EQ(parent.Codes(WM_NOTIFY), c.notices) << c.mask;
        EXPECT_EQ(SendMessageA(edit, EM_GETEVENTMASK, 0, 0), static_cast<LRESULT>(c.mask));
        SendMessageA(edit, EM_SETEVENTMASK, 0, 0);
    }

    // The selection notice says where the selection is; a filter that answers nonzero eats the key.
    SendMessageA(edit, EM_SETEVENTMASK, 0, ENM_SELCHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS);
    parent.events.clear();
    SendMessageA(edit, EM_SETSEL, 1, 3);
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{EN_SELCHANGE}));
    EXPECT_EQ(parent.events[0].selChange.chrg.cpMin, 1);
    EXPECT_EQ(parent.events[0].selChange.chrg.cpMax, 3);
    EXPECT_EQ(parent.events[0].selChange.seltyp, SEL_TEXT | SEL_MULTICHAR);
    parent.answer = [](const testing::ParentEvent& e) { return e.code == EN_MSGFILTER ? 1 : 0; };
    parent.events.clear();
    SendMessageA(edit, WM_CHAR, 'y', 0);
    SendMessageA(edit, WM_LBUTTONDOWN, 0, testing::PointParam(0, 0));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{EN_MSGFILTER, EN_MSGFILTER}));
    EXPECT_EQ(parent.events[0].filter.msg, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(parent.events[0].filter.wParam, static_cast<WPARAM>('y'));
    EXPECT_EQ(parent.events[1].filter.msg, static_cast<UINT>(WM_LBUTTONDOWN));
    char buffer[16] = {};
    SendMessageA(edit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, "xabc");
    EXPECT_EQ(Selection().cpMin, 1);
}

TEST_F(RichEditWindowTest, TypingInCodePage949CountsCharacters) {
    const char* typed = "a\xC7\xD1\xB1\xDB"; // "a한글", the double bytes as two WM_CHARs each
    for (const char* p = typed; *p; ++p) {
        SendMessageA(edit, WM_CHAR, static_cast<BYTE>(*p), 0);
    }
    EXPECT_EQ(Selection().cpMin, 3);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(Range(0, -1), "a\xC7\xD1");
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    SendMessageA(edit, WM_CHAR, 'z', 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(edit, EM_EXLINEFROMCHAR, 0, 3), 1);
    char buffer[16] = {};
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 6);
    EXPECT_STREQ(buffer, "a\xC7\xD1\r\nz");
    // A buffer too small for the double byte gets none of it.
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 1);
    EXPECT_STREQ(buffer, "a");

    // A Unicode caller of the ANSI class: the window system converts the text on the way.
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"\uD55C\uAE00"));
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 4);
    EXPECT_EQ(Range(0, -1), "\xC7\xD1\xB1\xDB");
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\xC7\xD1\rz"));

    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
    SendMessageA(edit, WM_CHAR, 'q', 0);
    EXPECT_EQ(Range(0, -1), "a\xC7\xD1\rz");
}

TEST_F(RichEditWindowTest, CharacterFormatOfARange) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("plain bold red"));
    struct Apply {
        LONG min, max;
        DWORD mask, effects;
        COLORREF color;
        const char* face;
        LONG height;
    } applies[] = {
        {6, 10, CFM_BOLD, CFE_BOLD, 0, "", 0},
        {11, 14, CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_ITALIC | CFM_UNDERLINE, CFE_ITALIC | CFE_UNDERLINE,
         0x0000FF, "\xB5\xB8\xBF\xF2", 240}, // "돋움"
    };
    for (const auto& a : applies) {
        CHARRANGE range{a.min, a.max};
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        format.dwMask = a.mask;
        format.dwEffects = a.effects;
        format.crTextColor = a.color;
        format.yHeight = a.height;
        std::strncpy(format.szFaceName, a.face, LF_FACESIZE - 1);
        EXPECT_TRUE(SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    struct Read {
        LONG min, max;
        DWORD inMask, outMask, effects;
        const char* face;
    } reads[] = {
        {6, 10, CFM_BOLD | CFM_FACE | CFM_COLOR, 0, CFE_BOLD | CFE_AUTOCOLOR, "\xB1\xBC\xB8\xB2"}, // "굴림"
        {12, 13, CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_BOLD, 0,
         CFE_ITALIC | CFE_UNDERLINE, "\xB5\xB8\xBF\xF2"},
        {0, 14, CFM_STRIKEOUT, CFM_BOLD | CFM_COLOR | CFM_FACE | CFM_ITALIC, 0, nullptr},
    };
    for (const auto& r : reads) {
        CHARRANGE range{r.min, r.max};
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        auto mask = static_cast<DWORD>(
            SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
        EXPECT_EQ(mask, format.dwMask);
        EXPECT_EQ(mask & r.inMask, r.inMask) << r.min;
        EXPECT_EQ(mask & r.outMask, 0u) << r.min;
        EXPECT_EQ(format.dwEffects & (r.inMask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR)),
                  r.effects)
            << r.min;
        if (r.face) {
            EXPECT_STREQ(format.szFaceName, r.face);
        }
    }
    // A wrong size is refused; the old structure reads the common part.
    CHARFORMATA old{};
    old.cbSize = sizeof old + 1;
    EXPECT_FALSE(SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&old)));
    old.cbSize = sizeof old;
    CHARRANGE red{11, 14};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&red));
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&old));
    EXPECT_EQ(old.crTextColor, 0x0000FFu);
    EXPECT_EQ(old.yHeight, 240);
    EXPECT_EQ(old.dwMask & ~CFM_ALL, 0u);
}

} // namespace
} // namespace qx::win32::commctrl
