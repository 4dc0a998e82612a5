#include "dialog_start.h"

#include <cstdio>

#include "commdlg.h"
#include "commdlg_error.h"

namespace qx::win32 {

UiDriver* StartDialog(const char* function, const std::string& title, bool sizeOk, bool hookFlag,
                      const void* hook) {
    if (!sizeOk) {
        SetCommDlgError(CDERR_STRUCTSIZE);
        return nullptr;
    }
    if (hookFlag && hook == nullptr) {
        SetCommDlgError(CDERR_NOHOOK);
        return nullptr;
    }
    SetCommDlgError(0);
    UiDriver* driver = CurrentUiDriver();
    if (driver == nullptr) {
        std::fprintf(stderr, "%s \"%s\" -> Cancel (no UI driver)\n", function, title.c_str());
    }
    return driver;
}

} // namespace qx::win32
