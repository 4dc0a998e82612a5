// "msctls_updown32": a press on an arrow proposes a step (UDN_DELTAPOS, which the parent may
// refuse), moves the position, shows it in the buddy with UDS_SETBUDDYINT, and tells the parent
// with WM_VSCROLL (WM_HSCROLL for UDS_HORZ); the release ends with SB_ENDSCROLL.
#include "control_support.h"
#include "controls.h"
#include "qx/commctrl/up_down_model.h"
#include "winuser_input.h"
#include "winuser_position.h"

namespace qx::win32::commctrl {
namespace {

class UpDownControl {
public:
    static constexpr const char* kAttachment = "commctrl.updown";

    UpDownControl(HWND hwnd, bool) : hwnd_(hwnd) {}
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    void Press(bool up);
    void Scroll(WORD code);
    void ShowInBuddy();
    // Reads the buddy's number into the position; false when it holds no number in range.
    bool ReadBuddy();
    HWND SetBuddy(HWND buddy);

    HWND hwnd_;
    HWND buddy_ = nullptr;
    UpDownModel model_;
    bool pressed_ = false;
};

void UpDownControl::Scroll(WORD code) {
    HWND parent = GetParent(hwnd_);
    if (parent == nullptr) {
        return;
    }
    UINT message = (Style() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    auto position = static_cast<WORD>(static_cast<short>(model_.Position()));
    SendMessageW(parent, message, MAKEWPARAM(code, code == SB_THUMBPOSITION ? position : 0),
                 reinterpret_cast<LPARAM>(hwnd_));
}

void UpDownControl::ShowInBuddy() {
    if (buddy_ != nullptr && (Style() & UDS_SETBUDDYINT)) {
        std::u16string text = UpDownBuddyText(model_.Position(), (Style() & UDS_NOTHOUSANDS) == 0);
        SetWindowTextW(buddy_, reinterpret_cast<LPCWSTR>(text.c_str()));
    }
}

bool UpDownControl::ReadBuddy() {
    if (buddy_ == nullptr || !(Style() & UDS_SETBUDDYINT)) {
        return true;
    }
    int length = GetWindowTextLengthW(buddy_);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    GetWindowTextW(buddy_, reinterpret_cast<LPWSTR>(text.data()), length + 1);
    text.resize(static_cast<size_t>(std::max(length, 0)));
    std::optional<int> value = ParseUpDownBuddyText(text);
    int low = std::min(model_.Lower(), model_.Upper());
    int high = std::max(model_.Lower(), model_.Upper());
    if (!value || *value < low || *value > high) {
        return false;
    }
    model_.SetPosition(*value);
    return true;
}

void UpDownControl::Press(bool up) {
    ReadBuddy();
    NMUPDOWN notice{};
    notice.iPos = model_.Position();
    notice.iDelta = model_.ProposedDelta(up);
    if (NotifyParent(hwnd_, UDN_DELTAPOS, notice.hdr) != 0) {
        return;
    }
    int landing = model_.Landing(model_.ProposedDelta(up));
    if (landing == model_.Position()) {
        return;
    }
    model_.SetPosition(landing);
    ShowInBuddy();
    Scroll(SB_THUMBPOSITION);
}

HWND UpDownControl::SetBuddy(HWND buddy) {
    HWND previous = buddy_;
    buddy_ = IsWindow(buddy) ? buddy : nullptr;
    return previous;
}

LRESULT UpDownControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        model_.SetWrap((Style() & UDS_WRAP) != 0);
        if (Style() & UDS_AUTOBUDDY) {
            SetBuddy(GetWindow(hwnd_, GW_HWNDPREV));
        }
        return 0;
    case WM_STYLECHANGED:
        model_.SetWrap((Style() & UDS_WRAP) != 0);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        RECT client{};
        GetClientRect(hwnd_, &client);
        int x = GET_X_LPARAM(lParam);
        int y = GET_Y_LPARAM(lParam);
        // The upper (right, for UDS_HORZ) half is the arrow towards the upper end.
        bool up = (Style() & UDS_HORZ) ? x >= (client.right - client.left) / 2
                                       : y < (client.bottom - client.top) / 2;
        pressed_ = true;
        Press(up);
        return 0;
    }
    case WM_LBUTTONUP:
        if (pressed_) {
            pressed_ = false;
            Scroll(SB_ENDSCROLL);
        }
        return 0;
    case WM_KEYDOWN:
        if ((Style() & UDS_ARROWKEYS) &&
            (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT)) {
            Press(wParam == VK_UP || wParam == VK_RIGHT);
            Scroll(SB_ENDSCROLL);
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);

    case UDM_SETRANGE:
        model_.SetRange(static_cast<short>(HIWORD(lParam)), static_cast<short>(LOWORD(lParam)));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(model_.Upper()), static_cast<WORD>(model_.Lower()));
    case UDM_SETRANGE32:
        model_.SetRange(static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam));
        return 0;
    case UDM_GETRANGE32:
        if (auto* lower = reinterpret_cast<int*>(wParam)) {
            *lower = model_.Lower();
        }
        if (auto* upper = reinterpret_cast<int*>(lParam)) {
            *upper = model_.Upper();
        }
        return 0;
    case UDM_SETPOS: {
        int previous = model_.SetPosition(static_cast<short>(LOWORD(lParam)));
        ShowInBuddy();
        return static_cast<WORD>(static_cast<short>(previous));
    }
    case UDM_GETPOS: {
        bool ok = ReadBuddy();
        return MAKELONG(static_cast<WORD>(static_cast<short>(model_.Position())), ok ? 0 : 1);
    }
    case UDM_SETPOS32: {
        int previous = model_.SetPosition(static_cast<int>(lParam));
        ShowInBuddy();
        return previous;
    }
    case UDM_GETPOS32: {
        bool ok = ReadBuddy();
        if (auto* error = reinterpret_cast<BOOL*>(lParam)) {
            *error = ok ? FALSE : TRUE;
        }
        return model_.Position();
    }
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(buddy_);
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<UpDownControl, true>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::commctrl
