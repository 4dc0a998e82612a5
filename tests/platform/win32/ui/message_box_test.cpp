// Message boxes: what the driver sees, its answers, and the default answers without one.
#include <gtest/gtest.h>

#include <thread>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/ui_driver.h"
#include "winerror.h"
#include "winuser_msgbox.h"

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = qx::win32::SetUiDriver(&recorder_); }
    void TearDown() override { qx::win32::SetUiDriver(previous_); }
    qx::win32::MessageBoxRecorder recorder_;
    qx::win32::UiDriver* previous_ = nullptr;
};

TEST_F(MessageBoxTest, AnAnsiBoxIsRecordedAsShownAndAsGiven) {
    HWND owner = reinterpret_cast<HWND>(0x1230);
    // "지정한 인덱스가 범위를 초과했습니다." in code page 949, with no caption.
    const char* text = "\xC1\xF6\xC1\xA4\xC7\xD1 \xC0\xCE\xB5\xA6\xBD\xBA\xB0\xA1 \xB9\xFC\xC0\xA7\xB8\xA6 "
                       "\xC3\xCA\xB0\xFA\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
    EXPECT_EQ(MessageBoxA(owner, text, nullptr, MB_OK), IDOK);
    auto calls = recorder_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, owner);
    EXPECT_EQ(calls[0].text, "지정한 인덱스가 범위를 초과했습니다.");
    EXPECT_EQ(calls[0].ansiText, text);
    EXPECT_FALSE(calls[0].captionGiven);
    EXPECT_EQ(calls[0].caption, "Error");
    EXPECT_FALSE(calls[0].wide);
    EXPECT_EQ(calls[0].type, MB_OK);
    EXPECT_EQ(calls[0].threadId, GetCurrentThreadId());
}

TEST_F(MessageBoxTest, AWideBoxKeepsItsUtf16) {
    MessageBoxW(nullptr, u"\uAC00 ok", u"Problem", MB_ICONWARNING | MB_OKCANCEL);
    auto calls = recorder_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].wide);
    EXPECT_EQ(calls[0].wideText, u"\uAC00 ok");
    EXPECT_EQ(calls[0].text, "가 ok");
    EXPECT_EQ(calls[0].caption, "Problem");
    EXPECT_TRUE(calls[0].captionGiven);
    EXPECT_EQ(calls[0].type & MB_ICONMASK, MB_ICONWARNING);
}

TEST_F(MessageBoxTest, TheDriverChoosesTheAnswer) {
    recorder_.QueueAnswer(IDNO);
    recorder_.QueueAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
}

TEST_F(MessageBoxTest, BoxesFromOtherThreadsAreRecordedWithTheirThread) {
    DWORD other = 0;
    std::thread([&] {
        other = GetCurrentThreadId();
        MessageBoxA(nullptr, "from a worker", "w", MB_OK);
    }).join();
    auto calls = recorder_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].threadId, other);
}

TEST_F(MessageBoxTest, AnUnknownTypeFails) {
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(nullptr, "a", "b", 7), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));
    EXPECT_TRUE(recorder_.Calls().empty());
}

struct DefaultCase {
    UINT type;
    std::vector<int> buttons;
    int answer;
};

class DefaultAnswers : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultAnswers, WithoutADriverTheDefaultButtonAnswers) {
    qx::win32::UiDriver* previous = qx::win32::SetUiDriver(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Quorle component is not registered", "Error", GetParam().type),
              GetParam().answer);
    std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Quorle component is not registered"), std::string::npos);
    EXPECT_NE(shown.find("\"Error\""), std::string::npos);
    std::vector<int> buttons;
    int defaultButton = 0;
    ASSERT_TRUE(qx::win32::MessageBoxButtons(GetParam().type, buttons, defaultButton));
    EXPECT_EQ(buttons, GetParam().buttons);
    qx::win32::SetUiDriver(previous);
}

INSTANTIATE_TEST_SUITE_P(
    Types, DefaultAnswers,
    ::testing::Values(DefaultCase{MB_OK, {IDOK}, IDOK}, DefaultCase{MB_OKCANCEL, {IDOK, IDCANCEL}, IDOK},
                      DefaultCase{MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL},
                      DefaultCase{MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDYES},
                      DefaultCase{MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO},
                      DefaultCase{MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
                      DefaultCase{MB_YESNO | MB_DEFBUTTON4, {IDYES, IDNO}, IDYES},
                      DefaultCase{MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, {IDABORT, IDRETRY, IDIGNORE}, IDRETRY},
                      DefaultCase{MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY},
                      DefaultCase{MB_OK | MB_HELP | MB_DEFBUTTON2, {IDOK, IDHELP}, IDOK}));

} // namespace
