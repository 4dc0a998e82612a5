// The centring of the control's dialogs: a frame moved over its owner, and the file dialogs' hook
// doing it for the frame of the child dialog it runs in.
#include "document_io.h"

#include "recording_window.h"

#include <commdlg.h>
#include <winuser_position.h>
#include <winuser_window.h>

#include <gtest/gtest.h>

namespace {

POINT TopLeft(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top};
}

TEST(DocumentDialogs, CenterWindowOverTruncatesTowardZero) {
    const struct {
        RECT owner;
        SIZE dialog;
        POINT expected;
    } cases[] = {
        {{0, 0, 101, 51}, {20, 10}, {40, 20}},
        {{10, 20, 110, 220}, {100, 200}, {10, 20}},
        {{0, 0, 10, 10}, {31, 41}, {-10, -15}},
    };
    for (const auto& c : cases) {
        qx::test::RecordingWindow owner(c.owner.right - c.owner.left, c.owner.bottom - c.owner.top);
        qx::test::RecordingWindow dialog(c.dialog.cx, c.dialog.cy);
        SetWindowPos(owner.hwnd(), nullptr, c.owner.left, c.owner.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        CenterWindowOver(dialog.hwnd(), owner.hwnd());
        const POINT at = TopLeft(dialog.hwnd());
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
        RECT size{};
        GetWindowRect(dialog.hwnd(), &size);
        EXPECT_EQ(size.right - size.left, c.dialog.cx);
        EXPECT_EQ(size.bottom - size.top, c.dialog.cy);
    }
}

TEST(DocumentDialogs, TheHookCentresItsParentOnlyOnInitDialog) {
    qx::test::RecordingWindow owner(101, 51);
    qx::test::RecordingWindow frame(20, 10);
    HWND hook = CreateWindowExW(0, u"qx.test.RecordingWindow", u"", WS_CHILD, 0, 0, 1, 1, frame.hwnd(),
                                nullptr, nullptr, nullptr);
    ASSERT_NE(hook, nullptr);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner.hwnd();
    EXPECT_EQ(CenterFileDialog(hook, WM_SIZE, 0, reinterpret_cast<LPARAM>(&dialog)), 0u);
    EXPECT_EQ(TopLeft(frame.hwnd()).x, 0);
    EXPECT_EQ(CenterFileDialog(hook, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&dialog)), 0u);
    EXPECT_EQ(TopLeft(frame.hwnd()).x, 40);
    EXPECT_EQ(TopLeft(frame.hwnd()).y, 20);
    DestroyWindow(hook);
}

} // namespace
