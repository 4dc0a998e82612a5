// A parent window that records what its controls tell it, and answers as a test asks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "commctrl.h"
#include "richedit.h"
#include "winuser_input.h"
#include "winuser_window.h"

namespace qx::win32::commctrl::testing {

struct ParentEvent {
    UINT message = 0; // WM_NOTIFY, WM_COMMAND, WM_VSCROLL, WM_HSCROLL
    UINT code = 0;    // the notice code, or the scroll code
    UINT_PTR id = 0;
    HWND from = nullptr;
    WPARAM wParam = 0;
    // Copies of the notice's structure, for the kinds the tests look into.
    NMLISTVIEW list{};
    NMITEMACTIVATE activate{};
    NMUPDOWN upDown{};
    SELCHANGE selChange{};
    MSGFILTER filter{};
};

class ParentWindow {
public:
    ParentWindow();
    ~ParentWindow();
    HWND hwnd() const { return hwnd_; }

    std::vector<ParentEvent> events;
    // The answer to a notice; 0 when not set.
    std::function<LRESULT(const ParentEvent&)> answer;
    // The codes of the recorded events of one message kind.
    std::vector<UINT> Codes(UINT message = WM_NOTIFY) const;

    HWND CreateChild(const char16_t* className, DWORD style, int id, int width = 300, int height = 200,
                     const char16_t* text = u"");
    HWND CreateChildA(const char* className, DWORD style, int id, const char* text = "");

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// MAKELPARAM of a point, for mouse messages.
LPARAM PointParam(int x, int y);

} // namespace qx::win32::commctrl::testing
