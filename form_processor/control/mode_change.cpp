// FPID_MODE_CHANGE: the editor between edit and browse mode. Switching reloads the document inside
// the editor; the command waits for its body on the thread's queue, at most kBodyWait of the
// platform clock, and collects the fields again either way.
#include "external_dispatch.h"

#include "ansi_text.h"
#include "editor_commands.h"
#include "string_helpers.h"
#include "velkor_control.h"

using qx::com::Bstr;
using qx::com::ComPtr;

namespace {

constexpr DWORD kBodyWait = 10000;

bool HasBody(IHTMLDocument2* document) {
    ComPtr<IDispatch> body;
    return SUCCEEDED(document->get_body(&body)) && body;
}

// Runs the queue while the document has no body. A thread timer marks the bound, so that a clock
// that tests move by hand wakes the wait as real time would. A WM_QUIT ends the wait and is posted
// again for the loop that owns it.
void WaitForBody(IHTMLDocument2* document) {
    const DWORD start = GetTickCount();
    const UINT_PTR timer = SetTimer(nullptr, 0, kBodyWait, nullptr);
    bool expired = false;
    while (!expired) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                expired = true;
                break;
            }
            if (msg.message == WM_TIMER && !msg.hwnd && msg.wParam == timer) {
                expired = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (expired || HasBody(document))
            break;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kBodyWait)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kBodyWait - elapsed, QS_ALLINPUT);
    }
    if (timer)
        KillTimer(nullptr, timer);
}

} // namespace

void CExternalDispatch::ChangeMode() {
    ComPtr<IHTMLDocument2> document(owner_->TableEditor().Document());
    if (!document || !owner_->EditorObject() || EditorBusy(owner_->EditorObject()))
        return;
    Bstr mode;
    if (FAILED(document->get_designMode(&mode)))
        return;
    // "Inherit" counts as edit mode, as in FPID_IsEditMode.
    if (EqualsNoCase(BstrToAnsi(mode.Get(), mode.Length()), "Off")) {
        document->put_designMode(Bstr(u"On"));
    } else {
        owner_->TableEditor().FillEmptyCells();
        document->put_designMode(Bstr(u"Off"));
    }
    // The control may go while the queue runs: the bridge keeps itself until the wait is over.
    ComPtr<IDispatch> self(static_cast<IDispatch*>(this));
    WaitForBody(document.Get());
    if (owner_)
        CollectFields();
}
