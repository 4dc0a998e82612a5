// Menus: building and reading them, and pop-up menus chosen through the UI driver.
#include <gtest/gtest.h>

#include "errhandlingapi.h"
#include "qx/win32/ui_driver.h"
#include "recording_window.h"
#include "winerror.h"
#include "winuser_menu.h"

namespace {

using qx::test::RecordingWindow;

// The control's context menu: a command, a separator, grayed and checked items and a pop-up.
HMENU ContextMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "\xC5\xD7\xC0\xCC\xBA\xED \xBB\xF0\xC0\xD4"); // 테이블 삽입
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 101, "Copy");
    AppendMenuW(menu, MF_STRING | MF_CHECKED, 102, u"Cut");
    HMENU inner = CreatePopupMenu();
    AppendMenuA(inner, MF_STRING, 201, "Picture...");
    AppendMenuA(inner, MF_STRING | MF_DISABLED, 202, "Font");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "More");
    AppendMenuA(menu, MF_STRING, 0, "Cancel");
    return menu;
}

TEST(MenuItems, ReadBackAsBuilt) {
    HMENU menu = ContextMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    EXPECT_EQ(GetMenuItemID(menu, 0), 100u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 0u);
    EXPECT_EQ(GetMenuItemID(menu, 4), static_cast<UINT>(-1)); // a pop-up
    EXPECT_EQ(GetMenuItemID(menu, 9), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(menu, 101, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu, 102, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(GetMenuState(menu, 4, MF_BYPOSITION), (2u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuState(menu, 202, MF_BYCOMMAND), MF_DISABLED); // found inside the pop-up
    EXPECT_EQ(GetMenuState(menu, 999, MF_BYCOMMAND), static_cast<UINT>(-1));
    HMENU inner = GetSubMenu(menu, 4);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(GetMenuItemID(inner, 0), 201u);
    EXPECT_EQ(GetSubMenu(menu, 0), nullptr);

    EXPECT_EQ(EnableMenuItem(menu, 101, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(menu, 0, MF_BYPOSITION | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
    EXPECT_EQ(GetMenuState(menu, 100, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, 555, MF_BYCOMMAND), -1);
    EXPECT_EQ(CheckMenuItem(menu, 102, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 201, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(inner, 201, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 555, MF_CHECKED), static_cast<DWORD>(-1));

    // Destroying a menu destroys its pop-ups.
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_FALSE(IsMenu(inner));
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
}

struct InsertCase {
    const char* name;
    UINT item;
    BOOL byPosition;
    std::vector<UINT> ids; // ids after inserting 50
};

class InsertMenuItems : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertMenuItems, GoBeforeTheItemNamed) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 10, "a");
    AppendMenuA(menu, MF_STRING, 20, "b");
    AppendMenuA(menu, MF_STRING, 30, "c");
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
    info.wID = 50;
    info.fState = MFS_CHECKED;
    char label[] = "new";
    info.dwTypeData = label;
    ASSERT_TRUE(InsertMenuItemA(menu, GetParam().item, GetParam().byPosition, &info));
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        ids.push_back(GetMenuItemID(menu, i));
    }
    EXPECT_EQ(ids, GetParam().ids);
    EXPECT_EQ(GetMenuState(menu, 50, MF_BYCOMMAND), MF_CHECKED);
    DestroyMenu(menu);
}

INSTANTIATE_TEST_SUITE_P(Cases, InsertMenuItems,
                         ::testing::Values(InsertCase{"FirstPosition", 0, TRUE, {50, 10, 20, 30}},
                                           InsertCase{"MiddlePosition", 2, TRUE, {10, 20, 50, 30}},
                                           InsertCase{"PastTheEnd", 7, TRUE, {10, 20, 30, 50}},
                                           InsertCase{"BeforeCommand", 20, FALSE, {10, 50, 20, 30}},
                                           InsertCase{"UnknownCommandAppends", 99, FALSE, {10, 20, 30, 50}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MenuItems, RefuseBadHandlesSizesAndCycles) {
    HMENU menu = CreatePopupMenu();
    HMENU inner = CreatePopupMenu();
    MENUITEMINFOW info{};
    info.cbSize = 7;
    EXPECT_FALSE(InsertMenuItemW(menu, 0, TRUE, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(AppendMenuA(reinterpret_cast<HMENU>(0x77), MF_STRING, 1, "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "inner"));
    EXPECT_FALSE(AppendMenuA(inner, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "loop"));
    EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "self"));
    EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, 0x12345, "none"));
    DestroyMenu(menu);
}

class TrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = qx::win32::SetUiDriver(&recorder_);
        menu_ = ContextMenu();
    }
    void TearDown() override {
        DestroyMenu(menu_);
        qx::win32::SetUiDriver(previous_);
    }
    qx::win32::UiRecorder recorder_;
    qx::win32::UiDriver* previous_ = nullptr;
    HMENU menu_ = nullptr;
    RecordingWindow owner_;
};

TEST_F(TrackTest, ReturnCmdGivesTheChosenIdAndTheDriverSeesTheItems) {
    recorder_.QueueMenu(102);
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON, 300, 200, 0, owner_.hwnd(), nullptr),
              102);
    auto requests = recorder_.MenuRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].owner, owner_.hwnd());
    EXPECT_EQ(requests[0].point.x, 300);
    EXPECT_EQ(requests[0].point.y, 200);
    const auto& items = requests[0].items;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].label, "테이블 삽입");
    EXPECT_TRUE(items[1].separator);
    EXPECT_TRUE(items[2].grayed);
    EXPECT_TRUE(items[3].checked);
    EXPECT_TRUE(items[4].popup);
    ASSERT_EQ(items[4].submenu.size(), 2u);
    EXPECT_TRUE(items[4].submenu[1].disabled);
    EXPECT_EQ(owner_.Seen({WM_COMMAND}).size(), 0u); // returned, not sent
}

TEST_F(TrackTest, WithoutReturnCmdTheOwnerGetsWmCommandAfterTheLoop) {
    recorder_.QueueMenu(201);
    EXPECT_TRUE(TrackPopupMenuEx(menu_, TPM_LEFTALIGN, 5, 5, owner_.hwnd(), nullptr));
    EXPECT_EQ(owner_.Seen({WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND}),
              (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND}));
    const auto& command = owner_.messages.back();
    EXPECT_EQ(command.message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(command.wParam, MAKEWPARAM(201, 0));
    EXPECT_EQ(command.lParam, 0);
}

struct RefusedCase {
    const char* name;
    UINT answer;
};

class RefusedChoices : public TrackTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedChoices, AreNeverChosen) {
    recorder_.QueueMenu(GetParam().answer);
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 0);
    recorder_.QueueMenu(GetParam().answer);
    EXPECT_TRUE(TrackPopupMenu(menu_, 0, 0, 0, 0, owner_.hwnd(), nullptr));
    EXPECT_TRUE(owner_.Seen({WM_COMMAND}).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedChoices,
                         ::testing::Values(RefusedCase{"Grayed", 101}, RefusedCase{"DisabledInPopup", 202},
                                           RefusedCase{"Unknown", 4242}, RefusedCase{"CancelItem", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrackTest, TheOwnerCanGrayAnItemWhenThePopupOpens) {
    owner_.handler = [this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wParam) == menu_) {
            EnableMenuItem(menu_, 100, MF_BYCOMMAND | MF_GRAYED);
            return 0;
        }
        return std::nullopt;
    };
    recorder_.QueueMenu(100);
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 0);
    EXPECT_TRUE(recorder_.MenuRequests()[0].items[0].grayed);
}

class OrderDriver : public qx::win32::UiRecorder {
public:
    UINT ShowMenu(const qx::win32::MenuRequest& request) override {
        std::vector<UINT> seen = owner->Seen({WM_APP + 1});
        postedRunFirst = !seen.empty();
        // A nested pop-up while one is open is refused.
        nested = TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner->hwnd(), nullptr);
        nestedError = GetLastError();
        return UiRecorder::ShowMenu(request);
    }
    RecordingWindow* owner = nullptr;
    HMENU menu = nullptr;
    bool postedRunFirst = false;
    BOOL nested = -1;
    DWORD nestedError = 0;
};

TEST_F(TrackTest, TheMenuLoopRunsPostedMessagesAndRefusesANestedMenu) {
    OrderDriver driver;
    driver.owner = &owner_;
    driver.menu = menu_;
    qx::win32::SetUiDriver(&driver);
    PostMessageW(owner_.hwnd(), WM_APP + 1, 0, 0);
    driver.QueueMenu(100);
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 100);
    EXPECT_TRUE(driver.postedRunFirst);
    EXPECT_EQ(driver.nested, 0);
    EXPECT_EQ(driver.nestedError, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
}

TEST_F(TrackTest, FailuresAndNoDriver) {
    EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(0x99), 0, 0, 0, 0, owner_.hwnd(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(TrackPopupMenu(menu_, 0, 0, 0, 0, reinterpret_cast<HWND>(0x99), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    qx::win32::SetUiDriver(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 0, 0, 0, owner_.hwnd(), nullptr), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "TrackPopupMenu -> nothing chosen (no UI driver)\n");
}

} // namespace
