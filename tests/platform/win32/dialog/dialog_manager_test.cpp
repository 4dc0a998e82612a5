// The dialog manager on the fixture dialogs: WM_INITDIALOG, the driver filling and confirming a
// modal dialog, the EndDialog code, the modal loop running posted messages, modeless dialogs on
// another thread, keyboard navigation, default buttons and failures on demand.
#include "dialog_fixture.h"

#include "processthreadsapi.h"
#include "qx/win32/dialog_view.h"
#include "qx/win32/input_driver.h"
#include "qx/win32/ui_driver.h"
#include "winerror.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_input.h"
#include "winuser_position.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace qx::win32;
using namespace qx::win32::testing;

class TestDriver : public MessageBoxRecorder {
public:
    bool FailDialogCreation(const DialogRequest& request) override { return handlers.Fails(request); }
    bool ShowDialog(DialogView& view) override {
        ++shown;
        return handlers.Handle(view);
    }
    DialogHandlerTable handlers;
    std::atomic<int> shown{0};
};

// What the fixture dialog's procedure saw.
struct Seen {
    bool initDialog = false;
    LPARAM initParam = 0;
    HWND initFocus = nullptr;
    std::vector<std::pair<int, int>> commands; // id, notification code
    std::string name;
    UINT header = 0, down = 0;
    LRESULT comboData = 0, listIndex = -1;
    bool showWindow = false;
    int privateMessages = 0;
    bool endInInit = false;
};
Seen* g_seen = nullptr;
constexpr UINT kPrivate = WM_APP + 7;

INT_PTR CALLBACK TableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Seen& seen = *g_seen;
    switch (message) {
    case WM_INITDIALOG:
        seen.initDialog = true;
        seen.initParam = lParam;
        seen.initFocus = reinterpret_cast<HWND>(wParam);
        for (const char* s : {"plain", "striped", "boxed"}) {
            SendDlgItemMessageA(dialog, kStyleCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        }
        SendDlgItemMessageA(dialog, kStyleCombo, CB_SETITEMDATA, 2, 300);
        for (const char* s : {"A", "B", "C"}) {
            SendDlgItemMessageA(dialog, kColumnList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        }
        if (seen.endInInit) {
            EndDialog(dialog, 55);
        }
        PostMessageA(dialog, kPrivate, 0, 0);
        return TRUE;
    case WM_SHOWWINDOW:
        seen.showWindow = seen.showWindow || wParam != 0;
        return FALSE;
    case kPrivate:
        ++seen.privateMessages;
        return TRUE;
    case WM_COMMAND: {
        seen.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK) {
            char name[64] = {};
            GetDlgItemTextA(dialog, kNameEdit, name, sizeof(name));
            seen.name = name;
            seen.header = IsDlgButtonChecked(dialog, kHeaderCheck);
            seen.down = IsDlgButtonChecked(dialog, kDownRadio);
            LRESULT current = SendDlgItemMessageA(dialog, kStyleCombo, CB_GETCURSEL, 0, 0);
            seen.comboData =
                SendDlgItemMessageA(dialog, kStyleCombo, CB_GETITEMDATA, static_cast<WPARAM>(current), 0);
            seen.listIndex = SendDlgItemMessageA(dialog, kColumnList, LB_GETCURSEL, 0, 0);
            EndDialog(dialog, 42);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

class DialogManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen = &seen_;
        previous_ = SetUiDriver(&driver_);
        // The class of the neutral dialog's custom control.
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_GLOBALCLASS;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "QxTestPanel";
        RegisterClassExA(&wc);
    }
    void TearDown() override {
        SetUiDriver(previous_);
        g_seen = nullptr;
    }
    bool Saw(int id, int code) const {
        return std::find(seen_.commands.begin(), seen_.commands.end(), std::make_pair(id, code)) !=
               seen_.commands.end();
    }
    Seen seen_;
    TestDriver driver_;
    UiDriver* previous_ = nullptr;
};

TEST_F(DialogManagerTest, TheDriverFillsTheDialogAndConfirmsIt) {
    std::vector<DialogControl> controls;
    driver_.handlers.On(kTableDialog, [&](DialogView& view) {
        EXPECT_EQ(view.Caption(), "표 만들기");
        EXPECT_TRUE(view.Request().modal);
        controls = view.Controls();
        EXPECT_TRUE(view.SetText(kNameEdit, "성적표"));
        EXPECT_TRUE(view.SetCheck(kHeaderCheck, BST_CHECKED));
        EXPECT_TRUE(view.Click(kDownRadio));
        EXPECT_TRUE(view.SelectItem(kStyleCombo, "boxed"));
        EXPECT_TRUE(view.SelectItem(kColumnList, 1));
        EXPECT_FALSE(view.SelectItem(kColumnList, "Z"));
        EXPECT_EQ(view.Items(kStyleCombo), (std::vector<std::string>{"plain", "striped", "boxed"}));
        EXPECT_EQ(view.ItemData(kStyleCombo, 2), 300);
        EXPECT_TRUE(view.Click(IDOK));
    });
    EXPECT_EQ(
        DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc, 0x77), 42);
    EXPECT_TRUE(seen_.initDialog);
    EXPECT_EQ(seen_.initParam, 0x77);
    EXPECT_NE(seen_.initFocus, nullptr);
    EXPECT_TRUE(seen_.showWindow);
    EXPECT_EQ(seen_.name, "\xBC\xBA\xC0\xFB\xC7\xA5"); // "성적표" as the ANSI procedure reads it
    EXPECT_EQ(seen_.header, BST_CHECKED);
    EXPECT_EQ(seen_.down, BST_CHECKED);
    EXPECT_EQ(seen_.comboData, 300);
    EXPECT_EQ(seen_.listIndex, 1);
    EXPECT_EQ(seen_.privateMessages, 1);
    // Each action arrived as the notification a screen would have sent. The list box has
    // LBS_NOTIFY; the edit reports its change once.
    EXPECT_TRUE(Saw(kNameEdit, EN_CHANGE));
    EXPECT_TRUE(Saw(kHeaderCheck, BN_CLICKED));
    EXPECT_TRUE(Saw(kDownRadio, BN_CLICKED));
    EXPECT_TRUE(Saw(kStyleCombo, CBN_SELCHANGE));
    EXPECT_TRUE(Saw(kColumnList, LBN_SELCHANGE));
    EXPECT_TRUE(Saw(IDOK, BN_CLICKED));
    // Geometry in pixels from "굴림" 9 pt: 6 x 15 per character.
    auto edit =
        std::find_if(controls.begin(), controls.end(), [](const auto& c) { return c.id == kNameEdit; });
    ASSERT_NE(edit, controls.end());
    EXPECT_EQ(edit->className, "EDIT");
    EXPECT_EQ(edit->rect.left, 60);
    EXPECT_EQ(edit->rect.top, 13);
    EXPECT_EQ(edit->rect.right - edit->rect.left, 150);
    EXPECT_EQ(edit->rect.bottom - edit->rect.top, 23);
    EXPECT_EQ(controls.size(), 9u);
    EXPECT_EQ(controls.front().id, 65535); // template order
}

TEST_F(DialogManagerTest, EndDialogFromInitDialogEndsItBeforeItShows) {
    seen_.endInInit = true;
    EXPECT_EQ(DialogBoxParamW(DialogFixtureModule(), MAKEINTRESOURCEW(kTableDialog), nullptr, TableProc, 0),
              55);
    EXPECT_TRUE(seen_.initDialog);
    EXPECT_FALSE(seen_.showWindow);
    EXPECT_EQ(driver_.shown.load(), 0);
    EXPECT_TRUE(OpenDialogs().empty());
}

TEST_F(DialogManagerTest, TheOwnerIsDisabledWhileTheModalLoopRuns) {
    HWND owner =
        CreateWindowExA(0, "#32770", "owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    BOOL enabledInside = TRUE;
    driver_.handlers.On(kTableDialog, [&](DialogView& view) {
        enabledInside = IsWindowEnabled(owner);
        view.Cancel();
    });
    EXPECT_EQ(DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), owner, TableProc, 0),
              IDCANCEL);
    EXPECT_FALSE(enabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(DialogManagerTest, WithoutAHandlerTheDefaultButtonAnswers) {
    EXPECT_EQ(DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc, 0),
              42);
    EXPECT_EQ(driver_.shown.load(), 1);
    // Without any driver the dialog is also written to standard error.
    SetUiDriver(nullptr);
    seen_ = Seen{};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc, 0),
              42);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Dialog 300 \"표 만들기\" -> [확인]\n");
}

TEST_F(DialogManagerTest, AHandlerThatLeavesAModalDialogOpenHasItCancelled) {
    driver_.handlers.On(kTableDialog, [](DialogView&) {});
    EXPECT_EQ(DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc, 0),
              IDCANCEL);
}

TEST_F(DialogManagerTest, CreationFailsOnDemandAndOnBadTemplates) {
    driver_.handlers.FailCreation(kTableDialog);
    struct Case {
        int id;
        DWORD error;
    };
    const Case cases[] = {
        {kTableDialog, ERROR_NOT_ENOUGH_MEMORY},
        {kDamagedDialog, ERROR_INVALID_DATA},
        {999, ERROR_RESOURCE_NAME_NOT_FOUND},
        {kUnknownClassDialog, ERROR_CANNOT_FIND_WND_CLASS},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        SetLastError(0);
        EXPECT_EQ(DialogBoxParamA(DialogFixtureModule(), MAKEINTRESOURCEA(c.id), nullptr, TableProc, 0), -1);
        EXPECT_EQ(GetLastError(), c.error) << c.id;
        SetLastError(0);
        EXPECT_EQ(CreateDialogParamA(DialogFixtureModule(), MAKEINTRESOURCEA(c.id), nullptr, TableProc, 0),
                  nullptr);
        EXPECT_EQ(GetLastError(), c.error) << c.id;
        ::testing::internal::GetCapturedStderr();
    }
    EXPECT_FALSE(seen_.initDialog);
}

INT_PTR CALLBACK ModelessProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(dialog);
        PostQuitMessage(0); // the thread's loop ends with its only window
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

TEST_F(DialogManagerTest, AModelessDialogOnAnotherThreadIsFoundAndEnded) {
    std::atomic<bool> shown{false};
    std::atomic<DWORD> shownOn{0};
    driver_.handlers.On("Neutral only", [&](DialogView& view) {
        shownOn = GetCurrentThreadId();
        EXPECT_FALSE(view.Request().modal);
        shown = true; // left open: a modeless dialog ends when its program says
    });
    DWORD worker = 0;
    std::thread thread([&] {
        worker = GetCurrentThreadId();
        HWND dialog = CreateDialogParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kNeutralDialog), nullptr,
                                         ModelessProc, 0);
        ASSERT_NE(dialog, nullptr) << GetLastError();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    });
    HWND found = nullptr;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((found == nullptr || !shown) && std::chrono::steady_clock::now() < deadline) {
        found = FindDialog(static_cast<WORD>(kNeutralDialog));
        std::this_thread::yield();
    }
    if (found == nullptr) {
        thread.join();
        FAIL() << "the modeless dialog never showed";
    }
    DialogView view(found);
    EXPECT_EQ(view.Caption(), "Neutral only");
    EXPECT_EQ(FindDialog("Neutral only"), found);
    EXPECT_EQ(view.Text(IDCANCEL), "Cancel"); // the hidden button is there, but cannot be clicked
    EXPECT_TRUE(view.Cancel());
    thread.join();
    EXPECT_EQ(shownOn.load(), worker);
    EXPECT_EQ(FindDialog(static_cast<WORD>(kNeutralDialog)), nullptr);
}

class DialogKeysTest : public DialogManagerTest {
protected:
    void SetUp() override {
        DialogManagerTest::SetUp();
        driver_.handlers.On(kTableDialog, [](DialogView&) {}); // modeless: stays open
        dialog_ =
            CreateDialogParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kTableDialog), nullptr, TableProc, 0);
        ASSERT_NE(dialog_, nullptr);
        input::PumpUntilIdle(0);
    }
    void TearDown() override {
        DestroyWindow(dialog_);
        input::ResetInputState();
        DialogManagerTest::TearDown();
    }
    void Key(int vk) {
        MSG msg{GetFocus(), WM_KEYDOWN, static_cast<WPARAM>(vk), 0, 0, {}};
        EXPECT_TRUE(IsDialogMessageA(dialog_, &msg));
    }
    int FocusId() const { return GetDlgCtrlID(GetFocus()); }
    HWND dialog_ = nullptr;
};

TEST_F(DialogKeysTest, TabArrowsEnterAndEscape) {
    EXPECT_EQ(FocusId(), kNameEdit); // WM_INITDIALOG answered TRUE: the first tab stop
    struct Step {
        int vk;
        bool shift;
        int focus;
    };
    const Step steps[] = {
        {VK_TAB, false, kHeaderCheck}, {VK_TAB, false, kAcrossRadio}, {VK_TAB, false, kStyleCombo},
        {VK_TAB, false, kColumnList},  {VK_TAB, false, IDOK},         {VK_TAB, false, IDCANCEL},
        {VK_TAB, false, kNameEdit},    {VK_TAB, true, IDCANCEL},      {VK_TAB, true, IDOK},
    };
    for (const auto& s : steps) {
        input::Key(VK_SHIFT, s.shift);
        Key(s.vk);
        EXPECT_EQ(FocusId(), s.focus);
    }
    input::Key(VK_SHIFT, false);
    // The arrows move within a group; on a radio button they check it.
    SetFocus(GetDlgItem(dialog_, kAcrossRadio));
    Key(VK_DOWN);
    EXPECT_EQ(FocusId(), kDownRadio);
    EXPECT_EQ(IsDlgButtonChecked(dialog_, kDownRadio), BST_CHECKED);
    Key(VK_DOWN);
    EXPECT_EQ(FocusId(), kAcrossRadio); // wraps within its group
    seen_.commands.clear();
    Key(VK_ESCAPE);
    Key(VK_RETURN);
    EXPECT_TRUE(Saw(IDCANCEL, BN_CLICKED));
    EXPECT_TRUE(Saw(IDOK, BN_CLICKED));
}

TEST_F(DialogKeysTest, DefaultIdAndItemAccess) {
    EXPECT_EQ(SendMessageA(dialog_, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    SendMessageA(dialog_, DM_SETDEFID, IDCANCEL, 0);
    EXPECT_EQ(SendMessageA(dialog_, DM_GETDEFID, 0, 0), MAKELRESULT(IDCANCEL, DC_HASDEFID));
    EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog_, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrA(GetDlgItem(dialog_, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    struct IntCase {
        const char* text;
        BOOL isSigned;
        UINT value;
        BOOL translated;
    };
    const IntCase ints[] = {
        {"42", FALSE, 42, TRUE},
        {" -17 ", TRUE, static_cast<UINT>(-17), TRUE},
        {"-17", FALSE, 0, FALSE},
        {"12abc", FALSE, 0, FALSE},
        {"", FALSE, 0, FALSE},
        {"4294967295", FALSE, 4294967295u, TRUE},
        {"4294967296", FALSE, 0, FALSE},
        {"2147483648", TRUE, 0, FALSE},
        {"-2147483648", TRUE, 0x80000000u, TRUE},
    };
    for (const auto& c : ints) {
        SetDlgItemTextA(dialog_, kNameEdit, c.text);
        BOOL translated = -1;
        EXPECT_EQ(GetDlgItemInt(dialog_, kNameEdit, &translated, c.isSigned), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
    EXPECT_TRUE(SetDlgItemInt(dialog_, kNameEdit, static_cast<UINT>(-5), TRUE));
    char text[16] = {};
    EXPECT_EQ(GetDlgItemTextA(dialog_, kNameEdit, text, sizeof(text)), 2u);
    EXPECT_STREQ(text, "-5");
    EXPECT_EQ(GetDlgItemTextA(dialog_, 4242, text, sizeof(text)), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetDlgItem(dialog_, 4242), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));

    RECT rect{4, 8, 40, 16};
    EXPECT_TRUE(MapDialogRect(dialog_, &rect));
    EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<LONG>{6, 15, 60, 30}));
    EXPECT_FALSE(EndDialog(GetDlgItem(dialog_, IDOK), 1));
}

INT_PTR CALLBACK ResultProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == kPrivate) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1234);
        return TRUE;
    }
    return FALSE;
}

TEST_F(DialogManagerTest, AHandledMessageAnswersWithMsgResult) {
    driver_.handlers.On("Neutral only", [](DialogView&) {});
    HWND dialog =
        CreateDialogParamA(DialogFixtureModule(), MAKEINTRESOURCEA(kNeutralDialog), nullptr, ResultProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(dialog, kPrivate, 0, 0), 1234);
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), 0); // no default push button
    DestroyWindow(dialog);
}

} // namespace
