// A parent window that records the notifications its controls send, and controls made on it.
#pragma once

#include "qx/win32/controls.h"
#include "winuser_controls.h"
#include "winuser_window.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qx::win32::testing {

struct Notification {
    int id;
    int code;
    bool operator==(const Notification&) const = default;
};

inline std::vector<Notification>* g_notifications = nullptr;

inline LRESULT CALLBACK RecordingParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && g_notifications != nullptr) {
        g_notifications->push_back({LOWORD(wParam), static_cast<short>(HIWORD(wParam))});
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterControlClasses());
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingParentProc;
        wc.lpszClassName = "QxControlTestParent";
        RegisterClassExA(&wc);
        parent_ = CreateWindowExA(0, "QxControlTestParent", "parent", WS_OVERLAPPED, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        g_notifications = &seen_;
    }
    void TearDown() override {
        g_notifications = nullptr;
        DestroyWindow(parent_);
    }

    HWND Make(const char* className, DWORD style, int id = 10, const char* text = "") {
        HWND control =
            CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 80, parent_,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
        EXPECT_NE(control, nullptr) << className;
        return control;
    }

    // The notification codes seen since the last call.
    std::vector<int> Codes() {
        std::vector<int> codes;
        for (const auto& n : seen_) {
            codes.push_back(n.code);
        }
        seen_.clear();
        return codes;
    }

    static std::string Text(HWND control) {
        char buffer[256] = {};
        SendMessageA(control, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }

    HWND parent_ = nullptr;
    std::vector<Notification> seen_;
};

} // namespace qx::win32::testing
