// Find and replace dialogs driving the registered message, and the hooks of file dialogs.
#include <gtest/gtest.h>

#include <cstring>

#include "commdlg.h"
#include "qx/win32/find_dialog.h"
#include "qx/win32/ui_driver.h"
#include "recording_window.h"

namespace {

using qx::test::PumpQueue;
using qx::test::RecordingWindow;
using qx::win32::FindDialogView;

// What the owner saw of each FINDMSGSTRING message: the flags and texts at that moment.
struct Notice {
    DWORD flags;
    std::string findWhat;
    std::string replaceWith;
};

class FindReplaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = qx::win32::SetUiDriver(&recorder_);
        findMessage_ = RegisterWindowMessageA(FINDMSGSTRINGA);
        owner_.handler = [this](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
            if (message == findMessage_) {
                auto* record = reinterpret_cast<FINDREPLACEA*>(lParam);
                EXPECT_EQ(record, &record_);
                notices_.push_back({record->Flags, record->lpstrFindWhat,
                                    record->lpstrReplaceWith != nullptr ? record->lpstrReplaceWith : ""});
                return 0;
            }
            return std::nullopt;
        };
        record_.lStructSize = sizeof record_;
        record_.hwndOwner = owner_.hwnd();
        record_.Flags = FR_DOWN | FR_HIDEUPDOWN;
        record_.lpstrFindWhat = findWhat_;
        record_.wFindWhatLen = sizeof findWhat_;
        record_.lpstrReplaceWith = replaceWith_;
        record_.wReplaceWithLen = sizeof replaceWith_;
        std::strcpy(findWhat_, "old");
    }
    void TearDown() override { qx::win32::SetUiDriver(previous_); }

    qx::win32::UiRecorder recorder_;
    qx::win32::UiDriver* previous_ = nullptr;
    UINT findMessage_ = 0;
    RecordingWindow owner_;
    FINDREPLACEA record_{};
    char findWhat_[8] = "";
    char replaceWith_[80] = "";
    std::vector<Notice> notices_;
};

TEST_F(FindReplaceTest, TheDriverMeetsTheDialogWhenTheQueueRunsAndEachPressReachesTheOwner) {
    HWND seenWindow = nullptr;
    recorder_.SetFindHandler([&](FindDialogView& dialog) {
        seenWindow = dialog.Window();
        EXPECT_FALSE(dialog.IsReplace());
        EXPECT_EQ(dialog.Owner(), owner_.hwnd());
        EXPECT_EQ(dialog.FindWhat(), "old");
        EXPECT_EQ(dialog.Options(), static_cast<DWORD>(FR_DOWN));
        EXPECT_FALSE(dialog.Replace()); // a find dialog has no Replace button
        dialog.SetFindWhat("table");
        dialog.SetOptions(FR_MATCHCASE | FR_WHOLEWORD);
        EXPECT_TRUE(dialog.FindNext());
        dialog.SetFindWhat("");
        EXPECT_FALSE(dialog.FindNext()); // nothing to find: the button is off
    });
    HWND dialog = FindTextA(&record_);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(notices_.empty()); // nothing before the thread pumps
    PumpQueue();
    EXPECT_EQ(seenWindow, dialog);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].flags, FR_FINDNEXT | FR_MATCHCASE | FR_WHOLEWORD | FR_HIDEUPDOWN);
    EXPECT_EQ(notices_[0].findWhat, "table");
    EXPECT_TRUE(IsWindow(dialog)); // stays open for later presses

    auto later = qx::win32::FindReplaceDialogOf(dialog);
    ASSERT_NE(later, nullptr);
    later->SetFindWhat("a long text");
    EXPECT_TRUE(later->FindNext());
    EXPECT_EQ(notices_.back().findWhat, "a long "); // cut to the caller's 8 characters
    EXPECT_TRUE(later->Cancel());
    EXPECT_EQ(notices_.back().flags & (FR_DIALOGTERM | FR_FINDNEXT), static_cast<DWORD>(FR_DIALOGTERM));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(later->IsOpen());
    EXPECT_FALSE(later->FindNext());
    EXPECT_EQ(qx::win32::FindReplaceDialogOf(dialog), nullptr);
}

TEST_F(FindReplaceTest, ReplaceAndReplaceAllCarryBothTexts) {
    recorder_.SetFindHandler([](FindDialogView& dialog) {
        EXPECT_TRUE(dialog.IsReplace());
        dialog.SetReplaceWith("new");
        EXPECT_TRUE(dialog.Replace());
        dialog.SetReplaceWith("newer");
        EXPECT_TRUE(dialog.ReplaceAll());
        EXPECT_TRUE(dialog.Cancel());
        EXPECT_FALSE(dialog.Cancel());
    });
    HWND dialog = ReplaceTextA(&record_);
    ASSERT_NE(dialog, nullptr);
    PumpQueue();
    ASSERT_EQ(notices_.size(), 3u);
    EXPECT_EQ(notices_[0].flags & (FR_REPLACE | FR_REPLACEALL | FR_FINDNEXT), static_cast<DWORD>(FR_REPLACE));
    EXPECT_EQ(notices_[0].findWhat, "old");
    EXPECT_EQ(notices_[0].replaceWith, "new");
    EXPECT_EQ(notices_[1].flags & (FR_REPLACE | FR_REPLACEALL), static_cast<DWORD>(FR_REPLACEALL));
    EXPECT_EQ(notices_[1].replaceWith, "newer");
    EXPECT_TRUE(notices_[2].flags & FR_DIALOGTERM);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(FindReplaceTest, WithoutADriverTheDialogIsCancelledOnStandardError) {
    qx::win32::SetUiDriver(nullptr);
    HWND dialog = FindTextA(&record_);
    ::testing::internal::CaptureStderr();
    PumpQueue();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "FindText -> Cancel (no UI driver)\n");
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_TRUE(notices_[0].flags & FR_DIALOGTERM);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(FindReplaceTest, ADialogDestroyedBeforeThePumpIsNotShown) {
    bool shown = false;
    recorder_.SetFindHandler([&](FindDialogView&) { shown = true; });
    DestroyWindow(FindTextA(&record_));
    PumpQueue();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(notices_.empty());
}

struct FindErrorCase {
    const char* name;
    bool replace;
    void (*spoil)(FINDREPLACEA&);
    DWORD error;
};

class FindErrors : public FindReplaceTest, public ::testing::WithParamInterface<FindErrorCase> {};

TEST_P(FindErrors, OpenNoDialog) {
    GetParam().spoil(record_);
    EXPECT_EQ(GetParam().replace ? ReplaceTextA(&record_) : FindTextA(&record_), nullptr);
    EXPECT_EQ(CommDlgExtendedError(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindErrors,
    ::testing::Values(
        FindErrorCase{"WrongSize", false, [](FINDREPLACEA& r) { r.lStructSize = 4; }, CDERR_STRUCTSIZE},
        FindErrorCase{"NoFindBuffer", false, [](FINDREPLACEA& r) { r.wFindWhatLen = 0; },
                      FRERR_BUFFERLENGTHZERO},
        FindErrorCase{"NoReplaceBuffer", true, [](FINDREPLACEA& r) { r.lpstrReplaceWith = nullptr; },
                      FRERR_BUFFERLENGTHZERO},
        FindErrorCase{"NoOwner", false, [](FINDREPLACEA& r) { r.hwndOwner = nullptr; }, CDERR_DIALOGFAILURE},
        FindErrorCase{"HookFlagWithoutHook", false, [](FINDREPLACEA& r) { r.Flags |= FR_ENABLEHOOK; },
                      CDERR_NOHOOK}),
    [](const auto& info) { return std::string(info.param.name); });

// What hooks heard, in order.
struct HookCall {
    HWND hwnd;
    UINT message;
    LPARAM lParam;
    UINT code;
    HWND from;
};
std::vector<HookCall> g_hookCalls;

UINT_PTR CALLBACK RecordingHook(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        g_hookCalls.push_back({hwnd, message, lParam, 0, nullptr});
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        g_hookCalls.push_back({hwnd, message, lParam, header->code, header->hwndFrom});
    }
    return 0;
}

TEST_F(FindReplaceTest, AFindHookHearsWmInitDialogWithTheRecord) {
    g_hookCalls.clear();
    record_.Flags |= FR_ENABLEHOOK;
    record_.lpfnHook = RecordingHook;
    HWND dialog = FindTextA(&record_);
    ASSERT_EQ(g_hookCalls.size(), 1u);
    EXPECT_EQ(g_hookCalls[0].hwnd, dialog);
    EXPECT_EQ(g_hookCalls[0].lParam, reinterpret_cast<LPARAM>(&record_));
    DestroyWindow(dialog);
}

struct HookCase {
    const char* name;
    DWORD flags;
    std::vector<UINT> heard;
};

class FileDialogHooks : public FindReplaceTest, public ::testing::WithParamInterface<HookCase> {};

TEST_P(FileDialogHooks, HearTheDialogStartOnARealWindow) {
    g_hookCalls.clear();
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_.hwnd();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_ENABLEHOOK | GetParam().flags;
    ofn.lpfnHook = RecordingHook;
    recorder_.QueueFile(qx::win32::FileDialogChoice{"c:\\x.txt"});
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    std::vector<UINT> heard;
    for (const HookCall& call : g_hookCalls) {
        heard.push_back(call.message == WM_NOTIFY ? call.code : call.message);
    }
    EXPECT_EQ(heard, GetParam().heard);
    ASSERT_FALSE(g_hookCalls.empty());
    EXPECT_EQ(g_hookCalls[0].lParam, reinterpret_cast<LPARAM>(&ofn));
    HWND hookWindow = g_hookCalls[0].hwnd;
    EXPECT_FALSE(IsWindow(hookWindow)); // gone with the dialog
    if (GetParam().flags & OFN_EXPLORER) {
        EXPECT_EQ(g_hookCalls[1].hwnd, hookWindow);
        EXPECT_NE(g_hookCalls[1].from, hookWindow); // from the explorer dialog, the hook's parent
        EXPECT_NE(g_hookCalls[1].from, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileDialogHooks,
                         ::testing::Values(HookCase{"Explorer", OFN_EXPLORER, {WM_INITDIALOG, CDN_INITDONE}},
                                           HookCase{"OldStyle", 0, {WM_INITDIALOG}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
