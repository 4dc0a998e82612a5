#include "property_page.h"

#include <cstring>
#include <mutex>
#include <set>

#include "control_support.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_dialog.h"

namespace qx::win32::commctrl {
namespace {

std::mutex& PagesLock() {
    static std::mutex lock;
    return lock;
}

std::set<HPROPSHEETPAGE>& LivePages() {
    static std::set<HPROPSHEETPAGE> pages;
    return pages;
}

} // namespace

std::u16string TextOrResource(HINSTANCE module, const void* text, bool wide) {
    if (text == nullptr) {
        return {};
    }
    if (IS_INTRESOURCE(text)) {
        char16_t buffer[256] = {};
        int length = LoadStringW(module, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)),
                                 reinterpret_cast<LPWSTR>(buffer), 256);
        return std::u16string(buffer, static_cast<size_t>(std::max(length, 0)));
    }
    return TextIn(text, wide);
}

HPROPSHEETPAGE NewPage(const void* page, bool wide) {
    const auto* common = static_cast<const PROPSHEETPAGEA*>(page);
    if (common == nullptr || common->dwSize < kMinPageSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto created = std::make_unique<PropertySheetPage>();
    created->wide = wide;
    created->size = common->dwSize;
    created->header = std::make_unique<std::byte[]>(common->dwSize);
    std::memcpy(created->header.get(), page, common->dwSize);
    HPROPSHEETPAGE handle = created.release();
    if ((handle->Flags() & PSP_USEREFPARENT) && handle->A()->pcRefParent != nullptr) {
        ++*handle->A()->pcRefParent;
    }
    handle->Callback(nullptr, PSPCB_ADDREF);
    std::lock_guard lock(PagesLock());
    LivePages().insert(handle);
    return handle;
}

bool IsPage(HPROPSHEETPAGE page) {
    std::lock_guard lock(PagesLock());
    return LivePages().count(page) != 0;
}

std::optional<DialogTemplate> PageTemplate(HPROPSHEETPAGE page) {
    std::string problem;
    PROPSHEETPAGEA* a = page->A();
    if (page->Flags() & PSP_DLGINDIRECT) {
        auto parsed = ParseDialogTemplateAt(a->pResource, problem);
        if (!parsed) {
            SetLastError(ERROR_INVALID_DATA);
        }
        return parsed;
    }
    return page->wide ? LoadDialogTemplate(a->hInstance, page->W()->pszTemplate, problem)
                      : LoadDialogTemplate(a->hInstance, a->pszTemplate, problem);
}

std::u16string PageTitle(HPROPSHEETPAGE page, const DialogTemplate& dialog) {
    if (page->Flags() & PSP_USETITLE) {
        return TextOrResource(page->A()->hInstance, page->A()->pszTitle, page->wide);
    }
    return dialog.caption;
}

HWND CreatePageWindow(HPROPSHEETPAGE page, HWND sheet) {
    if (page->Callback(nullptr, PSPCB_CREATE) == 0) {
        return nullptr;
    }
    PROPSHEETPAGEA* a = page->A();
    auto initParam = reinterpret_cast<LPARAM>(page->header.get());
    HWND hwnd = nullptr;
    if (page->Flags() & PSP_DLGINDIRECT) {
        hwnd = CreateDialogIndirectParamW(a->hInstance, a->pResource, sheet, a->pfnDlgProc, initParam);
    } else if (page->wide) {
        hwnd = CreateDialogParamW(a->hInstance, page->W()->pszTemplate, sheet, a->pfnDlgProc, initParam);
    } else {
        hwnd = CreateDialogParamA(a->hInstance, a->pszTemplate, sheet, a->pfnDlgProc, initParam);
    }
    if (hwnd == nullptr) {
        return nullptr;
    }
    // A page lives inside the sheet, whatever style its template was written with.
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (!(style & WS_CHILD)) {
        style &= ~static_cast<LONG_PTR>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
        SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_CHILD);
        SetParent(hwnd, sheet);
    }
    return hwnd;
}

} // namespace qx::win32::commctrl

UINT PropertySheetPage::Callback(HWND hwnd, UINT message) {
    if (!(Flags() & PSP_USECALLBACK) || A()->pfnCallback == nullptr) {
        return 1;
    }
    return wide ? W()->pfnCallback(hwnd, message, W()) : A()->pfnCallback(hwnd, message, A());
}

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer) {
    return qx::win32::commctrl::NewPage(constPropSheetPagePointer, false);
}

HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW constPropSheetPagePointer) {
    return qx::win32::commctrl::NewPage(constPropSheetPagePointer, true);
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage) {
    {
        std::lock_guard lock(qx::win32::commctrl::PagesLock());
        if (qx::win32::commctrl::LivePages().erase(hPage) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    std::unique_ptr<PropertySheetPage> page(hPage);
    page->Callback(nullptr, PSPCB_RELEASE);
    if ((page->Flags() & PSP_USEREFPARENT) && page->A()->pcRefParent != nullptr) {
        --*page->A()->pcRefParent;
    }
    return TRUE;
}
