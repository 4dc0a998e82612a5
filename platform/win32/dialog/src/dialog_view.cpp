#include "qx/win32/dialog_view.h"

#include "dialog_state.h"

#include "qx/win32/codepage.h"
#include "qx/win32/controls.h"
#include "qx/win32/window_internals.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_position.h"

#include <algorithm>

namespace qx::win32 {
namespace {

std::string WindowText(HWND hwnd) {
    LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    LRESULT copied = SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return AnsiToUtf8(text);
}

bool IsCombo(const std::string& className) {
    return className == "COMBOBOX";
}

// The list messages of a combo or list box.
struct ListMessages {
    UINT count, text, textLength, current, data, findExact, getSelected;
};
constexpr ListMessages kComboMessages{CB_GETCOUNT,    CB_GETLBTEXT,       CB_GETLBTEXTLEN, CB_GETCURSEL,
                                      CB_GETITEMDATA, CB_FINDSTRINGEXACT, CB_GETCURSEL};
constexpr ListMessages kListMessages{LB_GETCOUNT,    LB_GETTEXT,         LB_GETTEXTLEN, LB_GETCURSEL,
                                     LB_GETITEMDATA, LB_FINDSTRINGEXACT, LB_GETSEL};

} // namespace

HWND DialogView::Item(int id) const {
    HWND item = GetDlgItem(dialog_, id);
    return item != nullptr && IsWindow(item) ? item : nullptr;
}

std::string DialogView::ClassOf(HWND control) const {
    return control != nullptr ? WideToUtf8(GetWindowClassName(control)) : std::string();
}

DialogRequest DialogView::Request() const {
    auto state = dialog::StateOf(dialog_);
    return state ? state->request : DialogRequest{};
}

std::string DialogView::Caption() const {
    return WindowText(dialog_);
}

bool DialogView::IsOpen() const {
    auto state = dialog::StateOf(dialog_);
    return state && !state->ended && IsWindow(dialog_);
}

std::vector<DialogControl> DialogView::Controls() const {
    std::vector<DialogControl> controls;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        DialogControl c;
        c.id = GetDlgCtrlID(child);
        c.className = ClassOf(child);
        c.text = WindowText(child);
        c.style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        GetWindowRect(child, &c.rect);
        POINT corner{c.rect.left, c.rect.top};
        ScreenToClient(dialog_, &corner);
        c.rect = RECT{corner.x, corner.y, corner.x + (c.rect.right - c.rect.left),
                      corner.y + (c.rect.bottom - c.rect.top)};
        c.enabled = IsWindowEnabled(child) != FALSE;
        c.visible = IsWindowVisible(child) != FALSE;
        controls.push_back(std::move(c));
    }
    return controls;
}

std::optional<std::string> DialogView::Text(int id) const {
    HWND item = Item(id);
    if (item == nullptr) {
        return std::nullopt;
    }
    return WindowText(item);
}

bool DialogView::SetText(int id, std::string_view text) {
    HWND item = Item(id);
    if (item == nullptr || !IsWindowEnabled(item)) {
        return false;
    }
    std::string ansi = Utf8ToAnsi(text);
    std::string className = ClassOf(item);
    if (className == "EDIT") {
        if (GetWindowLongPtrA(item, GWL_STYLE) & ES_READONLY) {
            return false;
        }
        SendMessageA(item, EM_SETSEL, 0, -1);
        SendMessageA(item, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(ansi.c_str()));
        return true;
    }
    if (IsCombo(className)) {
        if ((GetWindowLongPtrA(item, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
            return SelectItem(id, text);
        }
        return SendMessageA(item, ControlActionMessage(), static_cast<WPARAM>(ControlAction::ReplaceEditText),
                            reinterpret_cast<LPARAM>(ansi.c_str())) != 0;
    }
    return SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str())) != 0;
}

int DialogView::CheckState(int id) const {
    HWND item = Item(id);
    return item != nullptr ? static_cast<int>(SendMessageA(item, BM_GETCHECK, 0, 0)) : -1;
}

bool DialogView::SetCheck(int id, int state) {
    for (int clicks = 0; clicks < 3; ++clicks) {
        int now = CheckState(id);
        if (now == state) {
            return true;
        }
        if (now < 0 || !Click(id)) {
            return false;
        }
    }
    return CheckState(id) == state;
}

bool DialogView::Click(int id) {
    HWND item = Item(id);
    if (item == nullptr || !IsWindowEnabled(item) || ClassOf(item) != "BUTTON") {
        return false;
    }
    SendMessageA(item, BM_CLICK, 0, 0);
    return true;
}

std::vector<std::string> DialogView::Items(int id) const {
    HWND item = Item(id);
    std::string className = ClassOf(item);
    if (!IsCombo(className) && className != "LISTBOX") {
        return {};
    }
    const ListMessages& m = IsCombo(className) ? kComboMessages : kListMessages;
    std::vector<std::string> items;
    LRESULT count = SendMessageA(item, m.count, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(item, m.textLength, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        SendMessageA(item, m.text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        items.push_back(AnsiToUtf8(text));
    }
    return items;
}

int DialogView::Selection(int id) const {
    HWND item = Item(id);
    std::string className = ClassOf(item);
    if (!IsCombo(className) && className != "LISTBOX") {
        return -1;
    }
    return static_cast<int>(
        SendMessageA(item, IsCombo(className) ? kComboMessages.current : kListMessages.current, 0, 0));
}

LPARAM DialogView::ItemData(int id, int index) const {
    HWND item = Item(id);
    std::string className = ClassOf(item);
    if (!IsCombo(className) && className != "LISTBOX") {
        return -1;
    }
    return SendMessageA(item, IsCombo(className) ? kComboMessages.data : kListMessages.data,
                        static_cast<WPARAM>(index), 0);
}

bool DialogView::SelectItem(int id, int index) {
    HWND item = Item(id);
    if (item == nullptr || !IsWindowEnabled(item)) {
        return false;
    }
    return SendMessageA(item, ControlActionMessage(), static_cast<WPARAM>(ControlAction::PickItem), index) !=
           0;
}

bool DialogView::SelectItem(int id, std::string_view text) {
    auto items = Items(id);
    auto found = std::find(items.begin(), items.end(), text);
    return found != items.end() && SelectItem(id, static_cast<int>(found - items.begin()));
}

bool DialogView::DoubleClickItem(int id, int index) {
    HWND item = Item(id);
    if (item == nullptr || !IsWindowEnabled(item)) {
        return false;
    }
    return SendMessageA(item, ControlActionMessage(), static_cast<WPARAM>(ControlAction::DoubleClickItem),
                        index) != 0;
}

bool DialogView::PressDefault() {
    if (!IsWindow(dialog_)) {
        return false;
    }
    LRESULT defId = SendMessageA(dialog_, DM_GETDEFID, 0, 0);
    int id = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
    HWND button = Item(id);
    if (button != nullptr && !IsWindowEnabled(button)) {
        return false;
    }
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool DialogView::Cancel() {
    if (!IsWindow(dialog_)) {
        return false;
    }
    HWND button = Item(IDCANCEL);
    if (button != nullptr && !IsWindowEnabled(button)) {
        return false;
    }
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

std::vector<HWND> OpenDialogs() {
    return dialog::OpenDialogs();
}

HWND FindDialog(WORD templateId) {
    auto open = OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (DialogView(*it).Request().templateId == templateId) {
            return *it;
        }
    }
    return nullptr;
}

HWND FindDialog(std::string_view caption) {
    auto open = OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (DialogView(*it).Request().caption == caption) {
            return *it;
        }
    }
    return nullptr;
}

bool DialogHandlerTable::Entry::Matches(const DialogRequest& request) const {
    return templateId != 0 ? templateId == request.templateId : caption == request.caption;
}

void DialogHandlerTable::On(WORD templateId, Handler handler) {
    std::lock_guard guard(lock_);
    entries_.push_back(Entry{templateId, {}, std::move(handler), false});
}

void DialogHandlerTable::On(std::string caption, Handler handler) {
    std::lock_guard guard(lock_);
    entries_.push_back(Entry{0, std::move(caption), std::move(handler), false});
}

void DialogHandlerTable::FailCreation(WORD templateId) {
    std::lock_guard guard(lock_);
    entries_.push_back(Entry{templateId, {}, {}, true});
}

void DialogHandlerTable::FailCreation(std::string caption) {
    std::lock_guard guard(lock_);
    entries_.push_back(Entry{0, std::move(caption), {}, true});
}

bool DialogHandlerTable::Fails(const DialogRequest& request) const {
    std::lock_guard guard(lock_);
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return e.fail && e.Matches(request); });
}

bool DialogHandlerTable::Handle(DialogView& view) const {
    Handler handler;
    {
        std::lock_guard guard(lock_);
        DialogRequest request = view.Request();
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            if (!it->fail && it->handler && it->Matches(request)) {
                handler = it->handler;
                break;
            }
        }
    }
    if (!handler) {
        return false;
    }
    handler(view);
    return true;
}

} // namespace qx::win32
