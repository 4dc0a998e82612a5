#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control_test_support.h"
#include "qx/module/loader.h"
#include "qx/resource/packed_resources.h"
#include "qx/win32/dialog_view.h"
#include "qx/win32/ui_driver.h"
#include "winresource.h"
#include "winuser_dialog.h"
#include "winuser_position.h"

QX_DECLARE_PACKED_RESOURCES(sheet_pages);

namespace qx::win32::commctrl {
namespace {

HMODULE PagesModule() {
    static HMODULE module =
        module::RegisterStaticModule({"/opt/qx-test/libsheetpages.so", QX_PACKED_RESOURCES(sheet_pages), {}});
    return module;
}

// What the pages hear and how they answer, one script per test.
struct PageScript {
    std::vector<std::string> log;
    int invalidApplies = 0; // PSN_APPLY answers PSNRET_INVALID this many times (page 1)
    int refusedCancels = 0; // PSN_QUERYCANCEL keeps the sheet this many times
    int keepFocus = -1;     // the page whose PSN_KILLACTIVE answers TRUE once
    std::vector<HWND> windows = std::vector<HWND>(4, nullptr);
    unsigned releases = 0;
};
PageScript* g_script = nullptr;

INT_PTR Answer(HWND page, LRESULT value) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, sheetPage->lParam);
        g_script->windows[static_cast<size_t>(sheetPage->lParam)] = page;
        g_script->log.push_back(std::to_string(sheetPage->lParam) + " init");
        return TRUE;
    }
    if (message != WM_NOTIFY) {
        return FALSE;
    }
    auto index = static_cast<int>(GetWindowLongPtrW(page, DWLP_USER));
    const auto* notice = reinterpret_cast<const PSHNOTIFY*>(lParam);
    std::string name = std::to_string(index) + " ";
    switch (notice->hdr.code) {
    case PSN_SETACTIVE:
        g_script->log.push_back(name + "setactive");
        return Answer(page, 0);
    case PSN_KILLACTIVE:
        g_script->log.push_back(name + "killactive");
        if (index == g_script->keepFocus) {
            g_script->keepFocus = -1;
            return Answer(page, TRUE);
        }
        return Answer(page, FALSE);
    case PSN_APPLY:
        g_script->log.push_back(name + (notice->lParam ? "apply ok" : "apply"));
        if (index == 1 && g_script->invalidApplies > 0) {
            --g_script->invalidApplies;
            return Answer(page, PSNRET_INVALID);
        }
        return Answer(page, PSNRET_NOERROR);
    case PSN_QUERYCANCEL:
        g_script->log.push_back(name + "querycancel");
        if (g_script->refusedCancels > 0) {
            --g_script->refusedCancels;
            return Answer(page, TRUE);
        }
        return Answer(page, FALSE);
    case PSN_RESET:
        g_script->log.push_back(name + "reset");
        return Answer(page, 0);
    default:
        return FALSE;
    }
}

UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEW*) {
    if (message == PSPCB_RELEASE) {
        ++g_script->releases;
    }
    return 1;
}

// Stands in for the person at the sheet: runs the test's steps on the sheet's frame once it shows
// and leaves its pages alone.
class SheetDriver : public UiDriver {
public:
    std::function<void(DialogView&)> onSheet;
    unsigned sheetsShown = 0;
    unsigned dialogsShown = 0;

    int ShowMessageBox(const MessageBoxCall&) override { return IDOK; }
    bool ShowDialog(DialogView& view) override {
        ++dialogsShown;
        if (view.Caption() == "\xED\x91\x9C \xEC\x86\x8D\xEC\x84\xB1" && onSheet) { // "표 속성"
            ++sheetsShown;
            onSheet(view);
        }
        return true;
    }
};

unsigned g_sheetCallbacks = 0;
int CALLBACK SheetCallback(HWND, UINT message, LPARAM) {
    if (message == PSCB_PRECREATE || message == PSCB_INITIALIZED) {
        ++g_sheetCallbacks;
    }
    return 0;
}

void Select(DialogView& sheet, int page) {
    SendMessageW(sheet.Window(), PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
}

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_script = &script;
        g_sheetCallbacks = 0;
        previousDriver = SetUiDriver(&driver);
        for (int i = 0; i < 4; ++i) {
            PROPSHEETPAGEW& page = pages[static_cast<size_t>(i)];
            page.dwSize = sizeof page;
            page.dwFlags = PSP_USECALLBACK;
            page.hInstance = PagesModule();
            page.pszTemplate = MAKEINTRESOURCEW(400 + i);
            page.pfnDlgProc = &PageProc;
            page.lParam = i;
            page.pfnCallback = &PageCallback;
        }
        // The third page comes from a template in memory.
        HRSRC found =
            FindResourceW(PagesModule(), MAKEINTRESOURCEW(402), reinterpret_cast<LPCWSTR>(RT_DIALOG));
        ASSERT_NE(found, nullptr);
        pages[2].dwFlags |= PSP_DLGINDIRECT;
        pages[2].pResource =
            static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(PagesModule(), found)));
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
        header.hwndParent = parent.hwnd();
        header.pszCaption = reinterpret_cast<LPCWSTR>(u"\uD45C \uC18D\uC131"); // "표 속성"
        header.nPages = 4;
        header.ppsp = pages;
        header.pfnCallback = &SheetCallback;
    }
    void TearDown() override {
        SetUiDriver(previousDriver);
        g_script = nullptr;
    }

    testing::ParentWindow parent;
    SheetDriver driver;
    UiDriver* previousDriver = nullptr;
    PageScript script;
    PROPSHEETPAGEW pages[4] = {};
    PROPSHEETHEADERW header{};
};

TEST_F(PropertySheetTest, OkAppliesEveryPageShown) {
    std::optional<std::string> typed;
    driver.onSheet = [&typed](DialogView& sheet) {
        // The driver reaches a page through the sheet.
        DialogView page(reinterpret_cast<HWND>(SendMessageW(sheet.Window(), PSM_GETCURRENTPAGEHWND, 0, 0)));
        EXPECT_EQ(page.Window(), FindDialog(400));
        EXPECT_TRUE(page.SetText(100, "abc"));
        typed = page.Text(100);
        Select(sheet, 1);
        Select(sheet, 2);
        sheet.Click(IDOK);
    };
    EXPECT_EQ(PropertySheetW(&header), 1);
    EXPECT_EQ(typed, "abc");
    // The pages are part of the sheet, not dialogs the driver is asked about.
    EXPECT_EQ(driver.dialogsShown, 1u);
    EXPECT_EQ(g_sheetCallbacks, 2u);
    EXPECT_EQ(script.log,
              (std::vector<std::string>{"0 init", "0 setactive",                 //
                                        "0 killactive", "1 init", "1 setactive", //
                                        "1 killactive", "2 init", "2 setactive", //
                                        "2 killactive", "0 apply ok", "1 apply ok", "2 apply ok"}));
    EXPECT_EQ(script.releases, 4u);
}

TEST_F(PropertySheetTest, AnInvalidPageKeepsTheSheetOpen) {
    script.invalidApplies = 1;
    script.keepFocus = 0;
    // The first move is refused by page 0; OK then fails on page 1, which comes back; the second
    // OK closes.
    HWND stillCurrent = nullptr;
    driver.onSheet = [&stillCurrent](DialogView& sheet) {
        Select(sheet, 1);
        Select(sheet, 1);
        Select(sheet, 0);
        sheet.Click(IDOK);
        stillCurrent = reinterpret_cast<HWND>(SendMessageW(sheet.Window(), PSM_GETCURRENTPAGEHWND, 0, 0));
        sheet.Click(IDOK);
    };
    EXPECT_EQ(PropertySheetW(&header), 1);
    EXPECT_EQ(stillCurrent, script.windows[1]);
    EXPECT_EQ(script.log, (std::vector<std::string>{"0 init", "0 setactive",                    //
                                                    "0 killactive",                             // refused
                                                    "0 killactive", "1 init", "1 setactive",    //
                                                    "1 killactive", "0 setactive",              //
                                                    "0 killactive", "0 apply ok", "1 apply ok", // invalid
                                                    "1 setactive",                              //
                                                    "1 killactive", "0 apply ok", "1 apply ok"}));
}

TEST_F(PropertySheetTest, CancelAsksAndResets) {
    script.refusedCancels = 1;
    driver.onSheet = [](DialogView& sheet) {
        Select(sheet, 3);
        sheet.Cancel();
        EXPECT_TRUE(sheet.IsOpen());
        sheet.Cancel();
    };
    EXPECT_EQ(PropertySheetW(&header), 0);
    EXPECT_EQ(script.log,
              (std::vector<std::string>{"0 init", "0 setactive", "0 killactive", "3 init", "3 setactive",
                                        "3 querycancel", "3 querycancel", "0 reset", "3 reset"}));
}

TEST_F(PropertySheetTest, ModelessSheetWithApply) {
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS;
    auto sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(sheet, nullptr);
    HWND apply = GetDlgItem(sheet, ID_APPLY_NOW);
    ASSERT_NE(apply, nullptr);
    EXPECT_FALSE(IsWindowEnabled(apply));
    EXPECT_EQ(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0),
              reinterpret_cast<LRESULT>(script.windows[0]));
    EXPECT_TRUE(IsChild(sheet, script.windows[0]));
    HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);

    SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(script.windows[0]), 0);
    EXPECT_TRUE(IsWindowEnabled(apply));
    script.log.clear();
    EXPECT_TRUE(SendMessageW(sheet, PSM_APPLY, 0, 0));
    EXPECT_EQ(script.log, (std::vector<std::string>{"0 killactive", "0 apply", "0 setactive"}));
    EXPECT_FALSE(IsWindowEnabled(apply));

    // A page that is not up yet comes up, and sits inside the sheet even when its template is a popup.
    EXPECT_TRUE(SendMessageW(sheet, PSM_SETCURSEL, 2, 0));
    EXPECT_TRUE(IsChild(sheet, script.windows[2]));
    EXPECT_TRUE(GetWindowLongW(script.windows[2], GWL_STYLE) & WS_CHILD);

    script.log.clear();
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!SendMessageW(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    EXPECT_EQ(script.log, (std::vector<std::string>{"2 killactive", "0 apply ok", "2 apply ok"}));
    EXPECT_EQ(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
    EXPECT_TRUE(DestroyWindow(sheet));
    EXPECT_EQ(script.releases, 4u);
}

TEST_F(PropertySheetTest, PagesByHandleAndBadInput) {
    UINT references = 0;
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USEREFPARENT | PSP_USETITLE;
    page.hInstance = PagesModule();
    page.pszTemplate = MAKEINTRESOURCEA(403);
    page.pfnDlgProc = &PageProc;
    page.pcRefParent = &references;
    page.pszTitle = "\xB1\xE2\xC5\xB8"; // "기타"
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(references, 1u);
    EXPECT_TRUE(DestroyPropertySheetPage(handle));
    EXPECT_EQ(references, 0u);
    EXPECT_FALSE(DestroyPropertySheetPage(handle));

    page.dwSize = sizeof page - 4;
    EXPECT_EQ(CreatePropertySheetPageA(&page), nullptr);
    header.nPages = 0;
    EXPECT_EQ(PropertySheetW(&header), -1);
    header.nPages = 4;
    pages[1].pszTemplate = MAKEINTRESOURCEW(499); // no such template
    EXPECT_EQ(PropertySheetW(&header), -1);
}

} // namespace
} // namespace qx::win32::commctrl
