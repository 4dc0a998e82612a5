// Combo and list boxes: items, sorting, searching, item data, selections and what the user's
// picks tell the parent.
#include "control_test_support.h"

#include "winuser_input.h"

#include <string>

namespace {

using namespace qx::win32::testing;
using qx::win32::ControlAction;
using qx::win32::ControlActionMessage;

LPARAM Str(const char* s) {
    return reinterpret_cast<LPARAM>(s);
}

// The same item operations on both kinds, through their own messages.
struct Kind {
    const char* className;
    DWORD sortStyle;
    UINT add, insert, erase, reset, count, getCurrent, setCurrent, text, textLength, find, findExact,
        selectString, getData, setData;
};
const Kind kKinds[] = {
    {"COMBOBOX", CBS_DROPDOWNLIST | CBS_SORT, CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
     CB_GETCOUNT, CB_GETCURSEL, CB_SETCURSEL, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_FINDSTRING,
     CB_FINDSTRINGEXACT, CB_SELECTSTRING, CB_GETITEMDATA, CB_SETITEMDATA},
    {"LISTBOX", LBS_SORT, LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
     LB_GETCURSEL, LB_SETCURSEL, LB_GETTEXT, LB_GETTEXTLEN, LB_FINDSTRING, LB_FINDSTRINGEXACT,
     LB_SELECTSTRING, LB_GETITEMDATA, LB_SETITEMDATA},
};

class ListControlTest : public ControlTest, public ::testing::WithParamInterface<Kind> {
protected:
    std::string Item(HWND h, int i) {
        const Kind& k = GetParam();
        LRESULT length = SendMessageA(h, k.textLength, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            return "<err>";
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        SendMessageA(h, k.text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return text;
    }
    std::string All(HWND h) {
        std::string all;
        LRESULT count = SendMessageA(h, GetParam().count, 0, 0);
        for (int i = 0; i < count; ++i) {
            all += (i ? "," : "") + Item(h, i);
        }
        return all;
    }
};

TEST_P(ListControlTest, ItemsSortSearchAndCarryData) {
    const Kind& k = GetParam();
    HWND h = Make(k.className, k.sortStyle);
    for (const char* s : {"pear", "Apple", "banana", "apricot"}) {
        SendMessageA(h, k.add, 0, Str(s));
    }
    EXPECT_EQ(All(h), "Apple,apricot,banana,pear");
    EXPECT_EQ(SendMessageA(h, k.insert, 1, Str("zz")), 1); // inserting never sorts
    EXPECT_EQ(SendMessageA(h, k.insert, 9, Str("x")), -1);
    EXPECT_EQ(All(h), "Apple,zz,apricot,banana,pear");
    struct Find {
        UINT message;
        int after;
        const char* text;
        LRESULT found;
    };
    const Find finds[] = {
        {k.find, -1, "AP", 0},          {k.find, 0, "ap", 2},         {k.find, 2, "ap", 0}, // wraps round
        {k.findExact, -1, "BANANA", 3}, {k.findExact, -1, "ban", -1}, {k.find, -1, "kiwi", -1},
        {k.find, 77, "pe", 4},
    };
    for (const auto& f : finds) {
        EXPECT_EQ(SendMessageA(h, f.message, static_cast<WPARAM>(f.after), Str(f.text)), f.found) << f.text;
    }
    EXPECT_EQ(SendMessageA(h, k.setData, 3, 0x5A5A), 0);
    EXPECT_EQ(SendMessageA(h, k.getData, 3, 0), 0x5A5A);
    EXPECT_EQ(SendMessageA(h, k.getData, 5, 0), -1);
    EXPECT_EQ(Item(h, 7), "<err>");

    // The selection follows its item as others come and go.
    EXPECT_EQ(SendMessageA(h, k.setCurrent, 3, 0), 3);
    SendMessageA(h, k.insert, 0, Str("first"));
    EXPECT_EQ(SendMessageA(h, k.getCurrent, 0, 0), 4);
    EXPECT_EQ(SendMessageA(h, k.erase, 0, 0), 5);
    EXPECT_EQ(SendMessageA(h, k.getCurrent, 0, 0), 3);
    EXPECT_EQ(SendMessageA(h, k.getData, 3, 0), 0x5A5A);
    EXPECT_EQ(SendMessageA(h, k.erase, 3, 0), 4);
    EXPECT_EQ(SendMessageA(h, k.getCurrent, 0, 0), -1);
    EXPECT_EQ(SendMessageA(h, k.erase, 4, 0), -1);
    EXPECT_EQ(SendMessageA(h, k.selectString, static_cast<WPARAM>(-1), Str("PE")), 3);
    EXPECT_EQ(SendMessageA(h, k.getCurrent, 0, 0), 3);
    EXPECT_EQ(SendMessageA(h, k.setCurrent, 10, 0), -1);
    EXPECT_EQ(SendMessageA(h, k.getCurrent, 0, 0), -1);
    EXPECT_EQ(SendMessageA(h, k.reset, 0, 0), 0);
    EXPECT_EQ(SendMessageA(h, k.count, 0, 0), 0);
    // A program's own changes are never reported.
    EXPECT_EQ(Codes(), std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(Kinds, ListControlTest, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.className); });

class ComboBoxTest : public ControlTest {};

TEST_F(ComboBoxTest, PicksAndTypingReachTheParent) {
    HWND list = Make("COMBOBOX", CBS_DROPDOWNLIST);
    HWND drop = Make("COMBOBOX", CBS_DROPDOWN, 11);
    for (HWND h : {list, drop}) {
        for (const char* s : {"one", "two", "three"}) {
            SendMessageA(h, CB_ADDSTRING, 0, Str(s));
        }
    }
    Codes();
    EXPECT_TRUE(SendMessageA(list, ControlActionMessage(), static_cast<WPARAM>(ControlAction::PickItem), 1));
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Text(list), "two");
    EXPECT_EQ(Codes(), (std::vector<int>{CBN_SELCHANGE}));
    EXPECT_FALSE(SendMessageA(list, ControlActionMessage(), static_cast<WPARAM>(ControlAction::PickItem), 3));
    // A drop-down list takes a text only when an item has it.
    EXPECT_EQ(SendMessageA(list, WM_SETTEXT, 0, Str("THREE")), TRUE);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(list, WM_SETTEXT, 0, Str("four")), CB_ERR);
    EXPECT_FALSE(SendMessageA(list, ControlActionMessage(),
                              static_cast<WPARAM>(ControlAction::ReplaceEditText), Str("x")));
    // Typing a letter into a drop-down list picks the next item starting with it.
    SendMessageA(list, WM_CHAR, 'o', 0);
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Codes(), (std::vector<int>{CBN_SELCHANGE}));

    // The edit field of a drop-down combo box.
    SendMessageA(drop, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(SendMessageA(drop, CB_GETDROPPEDSTATE, 0, 0), TRUE);
    SendMessageA(drop, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Text(drop), "one");
    EXPECT_EQ(Codes(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_TRUE(SendMessageA(drop, ControlActionMessage(),
                             static_cast<WPARAM>(ControlAction::ReplaceEditText), Str("typed")));
    SendMessageA(drop, WM_CHAR, '!', 0);
    EXPECT_EQ(Text(drop), "typed!");
    EXPECT_EQ(SendMessageA(drop, CB_GETCURSEL, 0, 0), 0); // typing leaves the selection alone
    EXPECT_EQ(Codes(), (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
    SendMessageA(drop, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Text(drop), "");
    EXPECT_EQ(Codes(), std::vector<int>{});
}

class ListBoxTest : public ControlTest {
protected:
    HWND Filled(DWORD style) {
        HWND h = Make("LISTBOX", style);
        for (const char* s : {"a", "b", "c", "d"}) {
            SendMessageA(h, LB_ADDSTRING, 0, Str(s));
        }
        return h;
    }
    static void Act(HWND h, ControlAction action, int index) {
        SendMessageA(h, ControlActionMessage(), static_cast<WPARAM>(action), index);
    }
};

TEST_F(ListBoxTest, OnlyANotifyingListTellsItsParent) {
    HWND quiet = Filled(0);
    HWND notifying = Filled(LBS_NOTIFY);
    Codes();
    Act(quiet, ControlAction::PickItem, 2);
    EXPECT_EQ(SendMessageA(quiet, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Codes(), std::vector<int>{});
    Act(notifying, ControlAction::PickItem, 1);
    Act(notifying, ControlAction::DoubleClickItem, 3);
    EXPECT_EQ(SendMessageA(notifying, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Codes(), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_DBLCLK}));
    // A press lands on the item under it, 16 px each.
    SendMessageA(notifying, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 40));
    EXPECT_EQ(SendMessageA(notifying, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(notifying, LB_GETSEL, 2, 0), TRUE);
    EXPECT_EQ(SendMessageA(notifying, LB_GETSELCOUNT, 0, 0), LB_ERR);
}

TEST_F(ListBoxTest, MultipleSelection) {
    HWND h = Filled(LBS_MULTIPLESEL | LBS_NOTIFY);
    Codes();
    EXPECT_EQ(SendMessageA(h, LB_SETCURSEL, 1, 0), LB_ERR);
    Act(h, ControlAction::PickItem, 1);
    Act(h, ControlAction::PickItem, 3);
    Act(h, ControlAction::PickItem, 1); // toggles back off
    EXPECT_EQ(SendMessageA(h, LB_SETSEL, TRUE, 0), LB_OKAY);
    int selected[8] = {};
    EXPECT_EQ(SendMessageA(h, LB_GETSELCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(h, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(selected)), 2);
    EXPECT_EQ((std::vector<int>{selected[0], selected[1]}), (std::vector<int>{0, 3}));
    EXPECT_EQ(SendMessageA(h, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(selected)), 1);
    EXPECT_EQ(SendMessageA(h, LB_SETSEL, TRUE, static_cast<LPARAM>(-1)), LB_OKAY);
    EXPECT_EQ(SendMessageA(h, LB_GETSELCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(h, LB_SETSEL, FALSE, 9), LB_ERR);
    EXPECT_EQ(Codes(), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
}

} // namespace
