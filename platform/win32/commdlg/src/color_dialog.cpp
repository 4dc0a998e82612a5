// ChooseColor: the driver picks the colour and may change the sixteen custom colours.
#include <algorithm>

#include "commdlg.h"
#include "commdlg_error.h"
#include "dialog_start.h"

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA lpcc) {
    using namespace qx::win32;
    if (lpcc == nullptr || (lpcc->lStructSize == sizeof(CHOOSECOLORA) && lpcc->lpCustColors == nullptr)) {
        SetCommDlgError(CDERR_INITIALIZATION);
        return FALSE;
    }
    bool sizeOk = lpcc->lStructSize == sizeof(CHOOSECOLORA);
    UiDriver* driver =
        StartDialog("ChooseColor", "Color", sizeOk, sizeOk && (lpcc->Flags & CC_ENABLEHOOK) != 0,
                    sizeOk ? reinterpret_cast<const void*>(lpcc->lpfnHook) : nullptr);
    if (driver == nullptr) {
        return FALSE;
    }
    ColorDialogRequest request;
    request.owner = lpcc->hwndOwner;
    request.flags = lpcc->Flags;
    // Without CC_RGBINIT the dialog starts on black.
    request.initial = (lpcc->Flags & CC_RGBINIT) ? lpcc->rgbResult & 0x00FFFFFFu : 0;
    std::copy_n(lpcc->lpCustColors, request.custom.size(), request.custom.begin());
    std::optional<ColorDialogChoice> choice = driver->ShowColorDialog(request);
    if (!choice) {
        return FALSE;
    }
    lpcc->rgbResult = choice->color & 0x00FFFFFFu;
    for (std::size_t i = 0; i < choice->custom.size(); ++i) {
        lpcc->lpCustColors[i] = choice->custom[i] & 0x00FFFFFFu;
    }
    return TRUE;
}
