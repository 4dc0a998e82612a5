// "EDIT": single-line and multiline text fields. Text, selection and limit are in bytes of the
// ANSI code page, as an ANSI edit control reports them. Multiline text keeps its lines apart
// with "\r\n" and does not wrap (there are no pixels to wrap at).
#include "control_support.h"
#include "controls_procs.h"
#include "text_field.h"

#include "winuser_controls.h"
#include "winuser_input.h"
#include "winuser_position.h"

#include <algorithm>
#include <cctype>

namespace qx::win32::controls {
namespace {

class Edit {
public:
    Edit(HWND hwnd, const CREATESTRUCTA& create) : hwnd_(hwnd) {
        field_.SetText(create.lpszName != nullptr ? create.lpszName : "");
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_SETTEXT:
            field_.SetText(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
            modified_ = false;
            DefWindowProcA(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(field_.Text().c_str()));
            // A multiline edit does not report text set by its program.
            if (!(Style() & ES_MULTILINE)) {
                NotifyParent(hwnd_, EN_UPDATE);
                NotifyParent(hwnd_, EN_CHANGE);
            }
            return TRUE;
        case WM_GETTEXT:
            return CopyAnsiText(field_.Text(), reinterpret_cast<char*>(lParam), wParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(field_.Text().size());
        case EM_GETSEL:
            return GetSelection(wParam, lParam);
        case EM_SETSEL:
            field_.Select(static_cast<long>(static_cast<int>(wParam)),
                          static_cast<long>(static_cast<int>(lParam)));
            return 0;
        case EM_REPLACESEL:
            Apply(field_.Replace(lParam != 0 ? reinterpret_cast<const char*>(lParam) : ""));
            return 0;
        case EM_LIMITTEXT:
            field_.SetLimit(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LRESULT>(field_.Limit());
        case EM_GETLINECOUNT:
            return Style() & ES_MULTILINE ? 1 + std::count(field_.Text().begin(), field_.Text().end(), '\n')
                                          : 1;
        case EM_GETMODIFY:
            return modified_ ? TRUE : FALSE;
        case EM_SETMODIFY:
            modified_ = wParam != 0;
            return 0;
        case EM_SETREADONLY:
            SetWindowLongPtrA(hwnd_, GWL_STYLE,
                              wParam ? (GetWindowLongPtrA(hwnd_, GWL_STYLE) | ES_READONLY)
                                     : (GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~ES_READONLY));
            return TRUE;
        case WM_GETDLGCODE:
            return DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS |
                   ((Style() & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN)
                        ? DLGC_WANTALLKEYS
                        : 0);
        case WM_CHAR:
            Typed(static_cast<unsigned char>(wParam));
            return 0;
        case WM_KEYDOWN:
            KeyDown(wParam);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            return 0;
        case WM_SETFOCUS:
            NotifyParent(hwnd_, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            NotifyParent(hwnd_, EN_KILLFOCUS);
            return 0;
        default:
            return DefWindowProcA(hwnd_, message, wParam, lParam);
        }
    }

private:
    DWORD Style() const { return StyleOf(hwnd_); }
    bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }

    LRESULT GetSelection(WPARAM wParam, LPARAM lParam) const {
        if (wParam != 0) {
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(field_.Start());
        }
        if (lParam != 0) {
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(field_.End());
        }
        if (field_.End() > 0xFFFF) {
            return -1;
        }
        return MAKELRESULT(field_.Start(), field_.End());
    }

    void Apply(TextField::Outcome outcome) {
        if (outcome.changed) {
            modified_ = true;
            // The window system's copy of the text follows, for whoever reads it there.
            DefWindowProcA(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(field_.Text().c_str()));
            NotifyParent(hwnd_, EN_UPDATE);
            NotifyParent(hwnd_, EN_CHANGE);
        }
        if (outcome.cut) {
            NotifyParent(hwnd_, EN_MAXTEXT);
        }
    }

    // A character typed by the user: what the style allows goes in at the caret.
    void Typed(unsigned char byte) {
        if (ReadOnly()) {
            return;
        }
        if (byte == '\b') {
            Apply(field_.Erase(false));
            return;
        }
        if (byte == '\r' && (Style() & ES_MULTILINE)) {
            Apply(field_.Replace("\r\n"));
            return;
        }
        if (byte < 0x20) {
            return;
        }
        auto character = field_.Typed(byte);
        if (!character) {
            return;
        }
        if ((Style() & ES_NUMBER) &&
            !(character->size() == 1 && std::isdigit(static_cast<unsigned char>((*character)[0])))) {
            return;
        }
        if (character->size() == 1 && (Style() & (ES_UPPERCASE | ES_LOWERCASE))) {
            char c = (*character)[0];
            (*character)[0] =
                static_cast<char>(Style() & ES_UPPERCASE ? std::toupper(static_cast<unsigned char>(c))
                                                         : std::tolower(static_cast<unsigned char>(c)));
        }
        Apply(field_.Replace(*character));
    }

    void KeyDown(WPARAM key) {
        switch (key) {
        case VK_DELETE:
            if (!ReadOnly()) {
                Apply(field_.Erase(true));
            }
            break;
        case VK_HOME:
        case VK_END:
            field_.MoveCaret(true, key == VK_END);
            break;
        case VK_LEFT:
        case VK_RIGHT:
            field_.MoveCaret(false, key == VK_RIGHT);
            break;
        default:
            break;
        }
    }

    HWND hwnd_;
    TextField field_;
    bool modified_ = false;
};

} // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ControlProc<Edit>(hwnd, message, wParam, lParam);
}

} // namespace qx::win32::controls
