#include "controls_procs.h"

#include "qx/win32/controls.h"
#include "winuser_window.h"

#include <mutex>

namespace qx::win32 {

bool RegisterControlClasses() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        struct Class {
            const char* name;
            WNDPROC proc;
            UINT style;
        };
        const Class classes[] = {
            {"STATIC", controls::StaticProc, CS_DBLCLKS},   {"BUTTON", controls::ButtonProc, CS_DBLCLKS},
            {"EDIT", controls::EditProc, CS_DBLCLKS},       {"COMBOBOX", controls::ComboBoxProc, CS_DBLCLKS},
            {"LISTBOX", controls::ListBoxProc, CS_DBLCLKS},
        };
        registered = true;
        for (const auto& c : classes) {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof(wc);
            wc.style = c.style | CS_GLOBALCLASS;
            wc.lpfnWndProc = c.proc;
            wc.lpszClassName = c.name;
            registered = RegisterClassExA(&wc) != 0 && registered;
        }
    });
    return registered;
}

UINT ControlActionMessage() {
    static const UINT message = RegisterWindowMessageA("QxControlAction");
    return message;
}

} // namespace qx::win32
