// A property sheet page as CreatePropertySheetPage makes it: the caller's PROPSHEETPAGE copied
// whole (with whatever the caller appended past the documented fields), in its character set.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commctrl.h"
#include "qx/win32/dialog_template.h"

struct PropertySheetPage {
    bool wide = false;
    // dwSize bytes of the caller's structure; the page's dialog sees this copy in WM_INITDIALOG.
    std::unique_ptr<std::byte[]> header;
    DWORD size = 0;

    PROPSHEETPAGEA* A() { return reinterpret_cast<PROPSHEETPAGEA*>(header.get()); }
    PROPSHEETPAGEW* W() { return reinterpret_cast<PROPSHEETPAGEW*>(header.get()); }
    DWORD Flags() { return A()->dwFlags; }
    // Through the page's own callback (PSP_USECALLBACK): PSPCB_CREATE's answer, 1 otherwise.
    UINT Callback(HWND hwnd, UINT message);
};

namespace qx::win32::commctrl {

// The smallest PROPSHEETPAGE a caller may give: the fields through pcRefParent.
inline constexpr DWORD kMinPageSize = sizeof(PROPSHEETPAGEA);

HPROPSHEETPAGE NewPage(const void* page, bool wide);
// A text given in the caller's character set, or a string resource of the module
// (MAKEINTRESOURCE) as page titles and captions may be.
std::u16string TextOrResource(HINSTANCE module, const void* text, bool wide);
// Whether the handle is a live page.
bool IsPage(HPROPSHEETPAGE page);

// The page's dialog template; nullopt with the last error set when it cannot be read.
std::optional<DialogTemplate> PageTemplate(HPROPSHEETPAGE page);
// The tab's label: the page's title (PSP_USETITLE, a string or a string resource), else the
// template's caption.
std::u16string PageTitle(HPROPSHEETPAGE page, const DialogTemplate& dialog);
// Makes the page's dialog as a child of the sheet; null when the page's callback or its
// template refuses.
HWND CreatePageWindow(HPROPSHEETPAGE page, HWND sheet);

} // namespace qx::win32::commctrl
