// A top-level test window whose procedure records every message it gets after creation and lets
// the test answer them; and a pump that runs what the thread's queue holds. Header only: the
// suite links the window system itself.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "winuser_message.h"
#include "winuser_window.h"

namespace qx::test {

struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWindow {
public:
    explicit RecordingWindow(int width = 40, int height = 30, HWND owner = nullptr) {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = Procedure;
            wc.lpszClassName = u"qx.test.RecordingWindow";
            return RegisterClassExW(&wc) != 0;
        }();
        if (registered) {
            hwnd_ = CreateWindowExW(0, u"qx.test.RecordingWindow", u"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, owner,
                                    nullptr, nullptr, nullptr);
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
    }
    ~RecordingWindow() {
        if (hwnd_ != nullptr && IsWindow(hwnd_)) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // The messages seen, optionally only those with one of the given ids.
    std::vector<UINT> Seen(std::vector<UINT> only = {}) const {
        std::vector<UINT> ids;
        for (const SeenMessage& m : messages) {
            if (only.empty() || std::find(only.begin(), only.end(), m.message) != only.end()) {
                ids.push_back(m.message);
            }
        }
        return ids;
    }

    std::vector<SeenMessage> messages;
    // Answers a message instead of DefWindowProc when it returns a value.
    std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> handler;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            self->messages.push_back({message, wParam, lParam});
            if (self->handler) {
                if (std::optional<LRESULT> answer = self->handler(message, wParam, lParam)) {
                    return *answer;
                }
            }
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

// Runs the thread's queue until it is empty (bounded); the number of messages dispatched.
inline int PumpQueue(int limit = 1000) {
    MSG msg{};
    int count = 0;
    while (count < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++count;
    }
    return count;
}

} // namespace qx::test
