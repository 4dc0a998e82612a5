#include "control_test_support.h"

#include "qx/commctrl/control_classes.h"

namespace qx::win32::commctrl::testing {
namespace {

constexpr char16_t kParentClass[] = u"CommctrlTestParent";

ParentWindow*& Current() {
    static ParentWindow* current = nullptr;
    return current;
}

} // namespace

ParentWindow::ParentWindow() {
    RegisterCommonControlClasses(ICC_WIN95_CLASSES);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &ParentWindow::Proc;
    windowClass.lpszClassName = reinterpret_cast<LPCWSTR>(kParentClass);
    RegisterClassExW(&windowClass);
    Current() = this;
    hwnd_ = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kParentClass), reinterpret_cast<LPCWSTR>(u"parent"),
                            WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

ParentWindow::~ParentWindow() {
    DestroyWindow(hwnd_);
    Current() = nullptr;
}

std::vector<UINT> ParentWindow::Codes(UINT message) const {
    std::vector<UINT> codes;
    for (const auto& e : events) {
        if (e.message == message) {
            codes.push_back(e.code);
        }
    }
    return codes;
}

HWND ParentWindow::CreateChild(const char16_t* className, DWORD style, int id, int width, int height,
                               const char16_t* text) {
    return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(className), reinterpret_cast<LPCWSTR>(text),
                           WS_CHILD | WS_VISIBLE | style, 10, 10, width, height, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

HWND ParentWindow::CreateChildA(const char* className, DWORD style, int id, const char* text) {
    return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 300, 200, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

LRESULT CALLBACK ParentWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ParentWindow* self = Current();
    if (self == nullptr ||
        (message != WM_NOTIFY && message != WM_COMMAND && message != WM_VSCROLL && message != WM_HSCROLL)) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    ParentEvent event;
    event.message = message;
    event.wParam = wParam;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        event.code = header->code;
        event.id = header->idFrom;
        event.from = header->hwndFrom;
        switch (header->code) {
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED:
        case LVN_INSERTITEM:
        case LVN_DELETEITEM:
            event.list = *reinterpret_cast<const NMLISTVIEW*>(lParam);
            break;
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK:
            event.activate = *reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            break;
        case UDN_DELTAPOS:
            event.upDown = *reinterpret_cast<const NMUPDOWN*>(lParam);
            break;
        case EN_SELCHANGE:
            event.selChange = *reinterpret_cast<const SELCHANGE*>(lParam);
            break;
        case EN_MSGFILTER:
            event.filter = *reinterpret_cast<const MSGFILTER*>(lParam);
            break;
        default:
            break;
        }
    } else if (message == WM_COMMAND) {
        event.code = HIWORD(wParam);
        event.id = LOWORD(wParam);
        event.from = reinterpret_cast<HWND>(lParam);
    } else {
        event.code = LOWORD(wParam);
        event.from = reinterpret_cast<HWND>(lParam);
    }
    self->events.push_back(event);
    return self->answer ? self->answer(event) : 0;
}

LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

} // namespace qx::win32::commctrl::testing
