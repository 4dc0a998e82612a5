// PropertySheet: a dialog frame (built in memory, see sheet_template.h) holding a tab control and
// the pages' dialogs, made as each page is first shown. Leaving a page asks it (PSN_KILLACTIVE),
// entering one tells it (PSN_SETACTIVE); OK and Apply send PSN_APPLY to every page made so far,
// any of which may keep the sheet open with PSNRET_INVALID; Cancel asks the current page
// (PSN_QUERYCANCEL) and resets every page made (PSN_RESET).
#include <algorithm>
#include <memory>
#include <vector>

#include "control_support.h"
#include "property_page.h"
#include "qx/commctrl/control_classes.h"
#include "sheet_template.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_dialog.h"
#include "winuser_position.h"
#include "winuser_show.h"

namespace qx::win32::commctrl {
namespace {

constexpr const char* kSheetAttachment = "commctrl.propsheet";

class Sheet {
public:
    Sheet(std::vector<HPROPSHEETPAGE> pages, DWORD flags)
        : pages_(std::move(pages)), windows_(pages_.size(), nullptr), changed_(pages_.size(), false),
          flags_(flags) {}
    ~Sheet() {
        for (HPROPSHEETPAGE page : pages_) {
            DestroyPropertySheetPage(page);
        }
    }

    INT_PTR Proc(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd, int startPage, std::vector<std::u16string> titles);

    bool Modeless() const { return (flags_ & PSH_MODELESS) != 0; }
    INT_PTR Result() const { return result_; }

private:
    LRESULT NotifyPage(size_t index, UINT code, LPARAM lParam);
    bool EnsureWindow(size_t index);
    void Show(size_t index);
    // PSN_KILLACTIVE to the current page; false when it keeps the focus.
    bool LeaveCurrent();
    bool Select(int index);
    bool Apply(bool closing);
    void Ok();
    void Cancel(bool closeBox);
    void Close(INT_PTR result);
    void Changed(HWND page, bool changed);
    INT_PTR Answer(LRESULT value);

    HWND hwnd_ = nullptr;
    HWND tab_ = nullptr;
    std::vector<HPROPSHEETPAGE> pages_;
    std::vector<HWND> windows_;
    std::vector<bool> changed_;
    int current_ = -1;
    DWORD flags_;
    bool closed_ = false;
    INT_PTR result_ = 0;
};

INT_PTR Sheet::Answer(LRESULT value) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, value);
    return TRUE;
}

LRESULT Sheet::NotifyPage(size_t index, UINT code, LPARAM lParam) {
    if (index >= windows_.size() || windows_[index] == nullptr) {
        return 0;
    }
    PSHNOTIFY notice{};
    notice.hdr.hwndFrom = hwnd_;
    notice.hdr.idFrom = 0;
    notice.hdr.code = code;
    notice.lParam = lParam;
    return SendMessageW(windows_[index], WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

bool Sheet::EnsureWindow(size_t index) {
    if (windows_[index] != nullptr) {
        return true;
    }
    windows_[index] = CreatePageWindow(pages_[index], hwnd_);
    if (windows_[index] == nullptr) {
        return false;
    }
    // The page fills the tab control's page area.
    RECT area{};
    GetWindowRect(tab_, &area);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MoveWindow(windows_[index], area.left, area.top, area.right - area.left, area.bottom - area.top, FALSE);
    return true;
}

void Sheet::Show(size_t index) {
    if (current_ >= 0 && static_cast<size_t>(current_) != index && windows_[static_cast<size_t>(current_)]) {
        ShowWindow(windows_[static_cast<size_t>(current_)], SW_HIDE);
    }
    current_ = static_cast<int>(index);
    SendMessageW(tab_, TCM_SETCURSEL, index, 0);
    // Shown as part of the sheet, not as a dialog of its own: the driver answers the sheet, and
    // reaches the pages through it.
    SetWindowPos(windows_[index], nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    NotifyPage(index, PSN_SETACTIVE, 0);
}

bool Sheet::LeaveCurrent() {
    if (current_ < 0) {
        return true;
    }
    return NotifyPage(static_cast<size_t>(current_), PSN_KILLACTIVE, 0) == FALSE;
}

bool Sheet::Select(int index) {
    if (index < 0 || static_cast<size_t>(index) >= pages_.size()) {
        return false;
    }
    if (index == current_) {
        return true;
    }
    if (!LeaveCurrent()) {
        SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(current_), 0);
        return false;
    }
    if (!EnsureWindow(static_cast<size_t>(index))) {
        SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(current_), 0);
        return false;
    }
    Show(static_cast<size_t>(index));
    return true;
}

bool Sheet::Apply(bool closing) {
    if (!LeaveCurrent()) {
        return false;
    }
    for (size_t i = 0; i < windows_.size(); ++i) {
        LRESULT answer = NotifyPage(i, PSN_APPLY, closing ? TRUE : FALSE);
        if (answer == PSNRET_INVALID || answer == PSNRET_INVALID_NOCHANGEPAGE) {
            // The sheet stays; the page that refused (or the current one) comes back.
            Show(answer == PSNRET_INVALID ? i : static_cast<size_t>(current_));
            return false;
        }
    }
    std::fill(changed_.begin(), changed_.end(), false);
    EnableWindow(GetDlgItem(hwnd_, ID_APPLY_NOW), FALSE);
    if (!closing) {
        // After Apply the current page is active again.
        NotifyPage(static_cast<size_t>(current_), PSN_SETACTIVE, 0);
    }
    return true;
}

void Sheet::Ok() {
    if (Apply(true)) {
        Close(1);
    }
}

void Sheet::Cancel(bool closeBox) {
    if (current_ >= 0 && NotifyPage(static_cast<size_t>(current_), PSN_QUERYCANCEL, 0) != FALSE) {
        return;
    }
    for (size_t i = 0; i < windows_.size(); ++i) {
        NotifyPage(i, PSN_RESET, closeBox ? TRUE : FALSE);
    }
    Close(0);
}

void Sheet::Close(INT_PTR result) {
    result_ = result;
    closed_ = true;
    // A modeless sheet stays until its owner destroys it, having seen that it has no current
    // page any more.
    if (!Modeless()) {
        EndDialog(hwnd_, result);
    }
}

void Sheet::Changed(HWND page, bool changed) {
    auto it = std::find(windows_.begin(), windows_.end(), page);
    if (it == windows_.end()) {
        return;
    }
    changed_[static_cast<size_t>(it - windows_.begin())] = changed;
    bool any = std::find(changed_.begin(), changed_.end(), true) != changed_.end();
    EnableWindow(GetDlgItem(hwnd_, ID_APPLY_NOW), any ? TRUE : FALSE);
}

void Sheet::Attach(HWND hwnd, int startPage, std::vector<std::u16string> titles) {
    hwnd_ = hwnd;
    tab_ = GetDlgItem(hwnd, ID_PSTABCONTROL);
    for (size_t i = 0; i < titles.size(); ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<LPWSTR>(titles[i].data());
        SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    if (!Select(startPage)) {
        // A start page that cannot be made leaves the first one that can.
        for (size_t i = 0; i < pages_.size() && current_ < 0; ++i) {
            Select(static_cast<int>(i));
        }
    }
}

INT_PTR Sheet::Proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == nullptr || header->hwndFrom != tab_) {
            return FALSE;
        }
        if (header->code == TCN_SELCHANGING) {
            return Answer(LeaveCurrent() ? FALSE : TRUE);
        }
        if (header->code == TCN_SELCHANGE) {
            auto index = static_cast<size_t>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
            if (index < pages_.size() && EnsureWindow(index)) {
                Show(index);
            } else {
                SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(current_), 0);
            }
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            Ok();
            return TRUE;
        case IDCANCEL:
            Cancel(false);
            return TRUE;
        case ID_APPLY_NOW:
            Apply(false);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        Cancel(true);
        return TRUE;
    case PSM_SETCURSEL: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (lParam != 0) {
            auto it = std::find(pages_.begin(), pages_.end(), reinterpret_cast<HPROPSHEETPAGE>(lParam));
            index = it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
        }
        return Answer(Select(index) ? TRUE : FALSE);
    }
    case PSM_CHANGED:
    case PSM_UNCHANGED:
        Changed(reinterpret_cast<HWND>(wParam), message == PSM_CHANGED);
        return Answer(0);
    case PSM_APPLY:
        return Answer(Apply(false) ? TRUE : FALSE);
    case PSM_PRESSBUTTON: {
        // The press arrives as the button's own click, after the sender's handler returns.
        int id = wParam == PSBTN_OK         ? IDOK
                 : wParam == PSBTN_CANCEL   ? IDCANCEL
                 : wParam == PSBTN_APPLYNOW ? ID_APPLY_NOW
                                            : 0;
        if (id != 0) {
            PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd_, id)));
        }
        return Answer(0);
    }
    case PSM_GETCURRENTPAGEHWND:
        return Answer(
            closed_ || current_ < 0 ? 0 : reinterpret_cast<LRESULT>(windows_[static_cast<size_t>(current_)]));
    case PSM_GETTABCONTROL:
        return Answer(reinterpret_cast<LRESULT>(tab_));
    case PSM_ISDIALOGMESSAGE:
        return Answer(IsDialogMessageW(hwnd_, reinterpret_cast<LPMSG>(lParam)));
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* init = reinterpret_cast<std::shared_ptr<Sheet>*>(lParam);
        SetWindowAttachment(hwnd, kSheetAttachment, *init);
        return TRUE;
    }
    std::shared_ptr<Sheet> sheet = GetWindowAttachmentAs<Sheet>(hwnd, kSheetAttachment);
    return sheet ? sheet->Proc(message, wParam, lParam) : FALSE;
}

// What a PROPSHEETHEADER says, in one character set.
struct SheetRequest {
    DWORD flags = 0;
    HWND parent = nullptr;
    HINSTANCE instance = nullptr;
    const void* caption = nullptr;
    UINT count = 0;
    UINT startPage = 0;
    const void* startTitle = nullptr;
    const void* pages = nullptr;
    PFNPROPSHEETCALLBACK callback = nullptr;
};

INT_PTR RunSheet(const SheetRequest& request, bool wide) {
    if (request.count == 0 || request.count > MAXPROPPAGES || request.pages == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    RegisterCommonControlClasses(ICC_TAB_CLASSES);
    std::vector<HPROPSHEETPAGE> pages;
    if (request.flags & PSH_PROPSHEETPAGE) {
        // Each structure says its own size; the next one follows it.
        const auto* at = static_cast<const std::byte*>(request.pages);
        for (UINT i = 0; i < request.count; ++i) {
            HPROPSHEETPAGE page = NewPage(at, wide);
            if (page == nullptr) {
                break;
            }
            at += page->size;
            pages.push_back(page);
        }
    } else {
        const auto* handles = static_cast<const HPROPSHEETPAGE*>(request.pages);
        for (UINT i = 0; i < request.count; ++i) {
            if (IsPage(handles[i])) {
                pages.push_back(handles[i]);
            }
        }
    }
    auto sheet = std::make_shared<Sheet>(pages, request.flags);
    if (pages.size() != request.count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }

    SheetFrame frame;
    frame.applyButton = (request.flags & PSH_NOAPPLYNOW) == 0;
    frame.caption = TextOrResource(request.instance, request.caption, wide);
    if (request.flags & PSH_PROPTITLE) {
        frame.caption += u" \uC18D\uC131"; // "... 속성", the Korean system's "Properties for ..."
    }
    if (request.flags & PSH_MODELESS) {
        frame.style |= WS_VISIBLE;
    }
    std::vector<std::u16string> titles;
    int startPage = static_cast<int>(request.startPage);
    std::u16string startTitle = (request.flags & PSH_USEPSTARTPAGE)
                                    ? TextOrResource(request.instance, request.startTitle, wide)
                                    : u"";
    for (size_t i = 0; i < pages.size(); ++i) {
        std::optional<DialogTemplate> dialog = PageTemplate(pages[i]);
        if (!dialog) {
            return -1;
        }
        frame.pageWidth = std::max(frame.pageWidth, dialog->cx);
        frame.pageHeight = std::max(frame.pageHeight, dialog->cy);
        titles.push_back(PageTitle(pages[i], *dialog));
        if ((request.flags & PSH_USEPSTARTPAGE) && titles.back() == startTitle) {
            startPage = static_cast<int>(i);
        }
    }
    std::vector<WORD> bytes = BuildSheetTemplate(frame);
    const auto* dialogTemplate = reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
    if ((request.flags & PSH_USECALLBACK) && request.callback) {
        request.callback(nullptr, PSCB_PRECREATE, reinterpret_cast<LPARAM>(dialogTemplate));
    }
    auto initParam = reinterpret_cast<LPARAM>(&sheet);

    // The sheet's pages appear once the frame exists: WM_INITDIALOG only keeps the state.
    struct Starter {
        std::shared_ptr<Sheet> sheet;
        int startPage;
        std::vector<std::u16string> titles;
        PFNPROPSHEETCALLBACK callback;
    };
    if (request.flags & PSH_MODELESS) {
        HWND hwnd = CreateDialogIndirectParamW(request.instance, dialogTemplate, request.parent, &SheetProc,
                                               initParam);
        if (hwnd == nullptr) {
            return -1;
        }
        sheet->Attach(hwnd, startPage, std::move(titles));
        if ((request.flags & PSH_USECALLBACK) && request.callback) {
            request.callback(hwnd, PSCB_INITIALIZED, 0);
        }
        return reinterpret_cast<INT_PTR>(hwnd);
    }
    // Modal: the pages are made from the frame's WM_INITDIALOG, inside the dialog's own loop.
    Starter starter{sheet, startPage, std::move(titles),
                    (request.flags & PSH_USECALLBACK) ? request.callback : nullptr};
    INT_PTR result = DialogBoxIndirectParamW(
        request.instance, dialogTemplate, request.parent,
        [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
            if (message == WM_INITDIALOG) {
                auto* start = reinterpret_cast<Starter*>(lParam);
                SetWindowAttachment(hwnd, kSheetAttachment, start->sheet);
                start->sheet->Attach(hwnd, start->startPage, std::move(start->titles));
                if (start->callback) {
                    start->callback(hwnd, PSCB_INITIALIZED, 0);
                }
                return TRUE;
            }
            return SheetProc(hwnd, message, wParam, lParam);
        },
        reinterpret_cast<LPARAM>(&starter));
    return result;
}

template <typename Header>
SheetRequest ReadHeader(const Header* header) {
    SheetRequest request;
    request.flags = header->dwFlags;
    request.parent = header->hwndParent;
    request.instance = header->hInstance;
    request.caption = header->pszCaption;
    request.count = header->nPages;
    request.startPage = header->nStartPage;
    request.startTitle = header->pStartPage;
    request.pages = (header->dwFlags & PSH_PROPSHEETPAGE) ? static_cast<const void*>(header->ppsp)
                                                          : static_cast<const void*>(header->phpage);
    request.callback = header->pfnCallback;
    return request;
}

} // namespace
} // namespace qx::win32::commctrl

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
    if (lppsph == nullptr || lppsph->dwSize < sizeof(PROPSHEETHEADERA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return qx::win32::commctrl::RunSheet(qx::win32::commctrl::ReadHeader(lppsph), false);
}

INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW lppsph) {
    if (lppsph == nullptr || lppsph->dwSize < sizeof(PROPSHEETHEADERW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return qx::win32::commctrl::RunSheet(qx::win32::commctrl::ReadHeader(lppsph), true);
}
