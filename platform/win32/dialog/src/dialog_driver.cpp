// The driver's turn once a dialog shows: its handler, or without a driver the default button
// and a line on standard error. A modal dialog its handler leaves open is cancelled (as
// Escape would, then by EndDialog), so a handler can never leave the program waiting forever.
#include "dialog_state.h"

#include "qx/win32/codepage.h"
#include "qx/win32/dialog_view.h"
#include "winuser_dialog.h"

#include <cstdio>

namespace qx::win32::dialog {

std::string TemplateLabel(const DialogRequest& r) {
    return r.templateId != 0        ? std::to_string(r.templateId)
           : r.templateName.empty() ? "(in memory)"
                                    : r.templateName;
}

void AskDriver(HWND dialog) {
    auto state = StateOf(dialog);
    if (!state || state->ended) {
        return;
    }
    UiDriver* driver = GetUiDriver();
    DialogView view(dialog);
    if (driver == nullptr) {
        AnswerDialogByDefault(view);
    } else if (!driver->ShowDialog(view) && view.IsOpen()) {
        view.PressDefault();
    }
    if (state->request.modal && view.IsOpen()) {
        view.Cancel();
        if (view.IsOpen()) {
            std::fprintf(stderr, "Dialog %s \"%s\" stayed open after its answer and was cancelled\n",
                         TemplateLabel(state->request).c_str(), state->request.caption.c_str());
            EndDialog(dialog, IDCANCEL);
        }
    }
}

} // namespace qx::win32::dialog

namespace qx::win32 {

void AnswerDialogByDefault(DialogView& view) {
    LRESULT defId = SendMessageA(view.Window(), DM_GETDEFID, 0, 0);
    int id = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
    std::string button = view.Text(id).value_or(std::to_string(id));
    std::fprintf(stderr, "Dialog %s \"%s\" -> [%s]\n", dialog::TemplateLabel(view.Request()).c_str(),
                 view.Caption().c_str(), button.c_str());
    view.PressDefault();
}

} // namespace qx::win32
