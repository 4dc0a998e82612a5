#include <gtest/gtest.h>

#include <cstring>

#include "control_test_support.h"

namespace qx::win32::commctrl {
namespace {

using testing::ParentWindow;

class ListViewWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = parent.CreateChild(u"SysListView32", LVS_REPORT, 7);
        ASSERT_NE(list, nullptr);
        const char* names[] = {"\xC0\xCC\xB8\xA7", "Size"}; // "이름" in code page 949
        int widths[] = {100, 60};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = const_cast<char*>(names[i]);
            column.cx = widths[i];
            column.iSubItem = i;
            ASSERT_EQ(SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column)), i);
        }
        for (int i = 0; i < 3; ++i) {
            std::u16string label = u"item" + std::u16string(1, static_cast<char16_t>(u'0' + i));
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = reinterpret_cast<LPWSTR>(label.data());
            item.lParam = 100 + i;
            ASSERT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), i);
            LVITEMA sub{};
            sub.iSubItem = 1;
            std::string size = std::to_string(i * 10);
            sub.pszText = size.data();
            ASSERT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&sub)));
        }
        parent.events.clear();
    }

    UINT State(int item) {
        return static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED | LVIS_FOCUSED));
    }

    ParentWindow parent;
    HWND list = nullptr;
};

TEST_F(ListViewWindowTest, ColumnsItemsAndSubitemsInBothCharacterSets) {
    char buffer[16] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = buffer;
    column.cchTextMax = sizeof buffer;
    ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(buffer, "\xC0\xCC\xB8\xA7");
    EXPECT_EQ(column.cx, 100);
    char16_t wide[16] = {};
    LVCOLUMNW columnW{};
    columnW.mask = LVCF_TEXT;
    columnW.pszText = reinterpret_cast<LPWSTR>(wide);
    columnW.cchTextMax = 16;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&columnW)));
    EXPECT_EQ(std::u16string(wide), u"\uC774\uB984");

    struct Case {
        int item, subItem, capacity;
        const char* text;
        LRESULT copied;
    } cases[] = {{0, 0, 16, "item0", 5}, {2, 1, 16, "20", 2}, {1, 5, 16, "", 0}, {0, 0, 3, "it", 2}};
    for (const auto& c : cases) {
        LVITEMA item{};
        item.iSubItem = c.subItem;
        item.pszText = buffer;
        item.cchTextMax = c.capacity;
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMTEXTA, c.item, reinterpret_cast<LPARAM>(&item)), c.copied);
        EXPECT_STREQ(buffer, c.text);
    }
    LVITEMA callback{};
    callback.iSubItem = 1;
    callback.pszText = LPSTR_TEXTCALLBACKA;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&callback)));
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = 2;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 102);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_TRUE(SendMessageA(list, LVM_DELETECOLUMN, 1, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 0);

    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = 101;
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 1);
    find.flags = LVFI_STRING;
    find.psz = "ITEM2";
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 2);
}

TEST_F(ListViewWindowTest, SelectionNoticesReachTheParent) {
    LVITEMA state{};
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ASSERT_TRUE(SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state)));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING, LVN_ITEMCHANGED}));
    const auto& changed = parent.events[1];
    EXPECT_EQ(changed.id, 7u);
    EXPECT_EQ(changed.from, list);
    EXPECT_EQ(changed.list.iItem, 1);
    EXPECT_EQ(changed.list.uNewState, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(changed.list.uOldState, 0u);
    EXPECT_EQ(changed.list.uChanged, LVIF_STATE);
    EXPECT_EQ(changed.list.lParam, 101);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);

    // The parent refuses: the state stays.
    parent.events.clear();
    parent.answer = [](const testing::ParentEvent& e) { return e.code == LVN_ITEMCHANGING ? TRUE : FALSE; };
    state.state = state.stateMask = LVIS_SELECTED;
    EXPECT_FALSE(SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state)));
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_ITEMCHANGING}));
    EXPECT_EQ(State(2), 0u);
}

TEST_F(ListViewWindowTest, ClicksSelectAndNotify) {
    RECT row{};
    row.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)));
    struct Click {
        UINT message;
        WPARAM keys;
        int x, y;
        int item; // in the NM_ notice
        UINT expectedCode;
        UINT state0, state2; // selection and focus after
    } clicks[] = {
        {WM_LBUTTONDOWN, 0, 5, row.top + 2, 2, NM_CLICK, 0, LVIS_SELECTED | LVIS_FOCUSED},
        // Off the first column without full-row selection: nothing is hit, the selection goes.
        {WM_LBUTTONDOWN, 0, 130, row.top + 2, -1, NM_CLICK, 0, LVIS_FOCUSED},
        {WM_LBUTTONDOWN, MK_CONTROL, 5, row.top - (row.bottom - row.top) * 2 + 2, 0, NM_CLICK,
         LVIS_SELECTED | LVIS_FOCUSED, 0},
        {WM_LBUTTONDBLCLK, 0, 5, row.top + 2, 2, NM_DBLCLK, LVIS_SELECTED | LVIS_FOCUSED, 0},
    };
    for (const auto& c : clicks) {
        parent.events.clear();
        SendMessageW(list, c.message, c.keys, testing::PointParam(c.x, c.y));
        std::vector<UINT> codes = parent.Codes();
        ASSERT_FALSE(codes.empty());
        auto it = std::find(codes.begin(), codes.end(), c.expectedCode);
        ASSERT_NE(it, codes.end());
        const auto& notice = parent.events[static_cast<size_t>(it - codes.begin())];
        EXPECT_EQ(notice.activate.iItem, c.item);
        EXPECT_EQ(State(0), c.state0);
        EXPECT_EQ(State(2), c.state2);
    }
    // With full-row selection a click on a subitem hits the item, and says which subitem.
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    parent.events.clear();
    SendMessageW(list, WM_LBUTTONDOWN, 0, testing::PointParam(130, row.top + 2));
    EXPECT_EQ(parent.events.back().activate.iItem, 2);
    EXPECT_EQ(parent.events.back().activate.iSubItem, 1);
}

TEST_F(ListViewWindowTest, DeletionNotices) {
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEITEM}));
    EXPECT_EQ(parent.events[0].list.lParam, 100);
    parent.events.clear();
    DestroyWindow(list);
    EXPECT_EQ(parent.Codes(), (std::vector<UINT>{LVN_DELETEALLITEMS, LVN_DELETEITEM, LVN_DELETEITEM}));
}

} // namespace
} // namespace qx::win32::commctrl
