// The working notice: dialog 239 on a thread of its own while the page's thread waits, the
// document-ready step held back during the wait, and the thread's end. These tests also run
// under ThreadSanitizer.
#include "velkor_window_support.h"

#include <qx/win32/dialog_view.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace velkor_test;

namespace {

// Finds the notice: a top-level window with the static control 265.
HWND FindNotice() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsWindow(window) && GetDlgItem(window, 265))
            return window;
    }
    return nullptr;
}

std::string NoticeText(HWND notice) {
    char text[256] = {};
    GetDlgItemTextA(notice, 265, text, sizeof(text));
    return text;
}

TEST_F(VelkorWindowTest, WorkingNoticeShowsOnceAndHides) {
    Activate();
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"처리 중"), -1), S_OK);
    HWND notice = FindNotice();
    ASSERT_NE(notice, nullptr) << "the show returns once the notice is up";
    EXPECT_TRUE(IsWindowVisible(notice));
    const std::string shown = NoticeText(notice);
    // The control's text is ANSI (code page 949) in the dialog.
    EXPECT_EQ(shown.size(), std::string("\xC3\xB3\xB8\xAE \xC1\xDF").size());

    // A second show keeps the dialog and its first text.
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"다른 글"), -1), S_OK);
    EXPECT_EQ(FindNotice(), notice);
    EXPECT_EQ(NoticeText(notice), shown);

    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u""), 0), S_OK);
    EXPECT_EQ(FindNotice(), nullptr);
    // A hide without a show only moves the focus.
    EXPECT_EQ(control_->ShowWorkingDlg(Bstr(u""), 0), S_OK);

    // An empty text empties the default.
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u""), -1), S_OK);
    notice = FindNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(NoticeText(notice), "");
    ASSERT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
}

TEST_F(VelkorWindowTest, DocumentReadyWaitsForTheNotice) {
    Activate();
    RecordingSink sink;
    DWORD cookie = 0;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Advise(control_.Get(), &sink, &cookie, point), S_OK);
    PostMessageW(ControlWindow(), 0x7E9, 0, 0);
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    EXPECT_TRUE(sink.calls.empty()) << "held back during the wait";
    Pump();
    EXPECT_EQ(sink.Ids(), std::vector<DISPID>{1}) << "DocumentComplete once, after the return";
    ASSERT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
    point->Unadvise(cookie);
}

// Each control of a page keeps its own document-ready step while one of them waits for its notice.
TEST_F(VelkorWindowTest, TwoControlsBothGetTheirDocumentReadyStep) {
    Activate();
    std::vector<DISPID> otherEvents;
    ControlHostOptions options;
    options.parent = parent_->hwnd();
    options.position = {0, 0, 300, 200};
    options.onEvent = [&otherEvents](DISPID id, const std::u16string&, std::vector<Variant>&) {
        otherEvents.push_back(id);
    };
    std::unique_ptr<ControlHost> other;
    ASSERT_EQ(ControlHost::Create(CLSID_Velkor, std::move(options), &other), S_OK);
    Pump();
    events_.clear();
    otherEvents.clear();
    PostMessageW(ControlWindow(), 0x7E9, 0, 0);
    PostMessageW(other->ControlWindow(), 0x7E9, 0, 0);
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    Pump();
    EXPECT_EQ(std::count(events_.begin(), events_.end(), 1), 1);
    EXPECT_EQ(std::count(otherEvents.begin(), otherEvents.end(), 1), 1);
    ASSERT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
    other->Close();
    other.reset();
    Pump();
}

TEST_F(VelkorWindowTest, DestroyingTheControlEndsTheNotice) {
    Activate();
    ASSERT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    ASSERT_NE(FindNotice(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    host_->Close();
    host_.reset();
    control_ = nullptr;
    Pump();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_EQ(FindNotice(), nullptr);
}

class RefusingDriver : public qx::win32::MessageBoxRecorder {
public:
    bool FailDialogCreation(const qx::win32::DialogRequest& request) override {
        refused += request.templateId == 239 ? 1 : 0;
        return request.templateId == 239;
    }
    int refused = 0;
};

TEST_F(VelkorWindowTest, RefusedNoticeNeverHangs) {
    RefusingDriver driver;
    qx::win32::SetUiDriver(&driver);
    Activate();
    EXPECT_EQ(control_->ShowWorkingDlg(Bstr(u"x"), -1), S_OK);
    EXPECT_EQ(driver.refused, 1);
    EXPECT_EQ(control_->ShowWorkingDlg(nullptr, 0), S_OK);
    EXPECT_EQ(FindNotice(), nullptr);
    host_->Close();
    host_.reset();
    qx::win32::SetUiDriver(&boxes_);
}

} // namespace
