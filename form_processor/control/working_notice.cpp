// The working notice: a modeless dialog (239) on a thread of its own that keeps painting while
// the page's thread is busy, shown and hidden by ShowWorkingDlg.
#include "velkor_control.h"

#include "ansi_text.h"
#include "server_module.h"

#include <winuser_dialog.h>

#include <memory>
#include <set>
#include <string>

namespace {

constexpr WORD kWorkingDialog = 239;
constexpr int kWorkingText = 265;
// How long the page's thread waits for the notice's thread to end before it lets it go.
constexpr DWORD kThreadEndBound = 5000;

struct NoticeStart {
    CVelkor* control;
    std::u16string text; // the text the dialog shows, copied when the thread starts
};

// Centres the dialog over the desktop.
void CenterOverDesktop(HWND dialog) {
    RECT own{}, desktop{};
    GetWindowRect(dialog, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int width = own.right - own.left, height = own.bottom - own.top;
    const int x = desktop.left + ((desktop.right - desktop.left) - width) / 2;
    const int y = desktop.top + ((desktop.bottom - desktop.top) - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void CVelkor::ShowWorkingNotice(BSTR text) {
    workingShown_ = true;
    workingText_ = qx::com::Bstr(text);
    // A show while one is starting or up only replaces the text; the dialog keeps its first one.
    if (workingWaiting_ || workingDialog_.load() || workingThread_)
        return;
    if (!workingReady_)
        workingReady_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!workingReady_)
        return;
    ResetEvent(workingReady_);
    auto* start = new NoticeStart{this, std::u16string(workingText_.View())};
    workingEnded_ = false;
    workingWaiting_ = true;
    workingThread_ = CreateThread(nullptr, 0, &CVelkor::WorkingDlgThread, start, 0, nullptr);
    if (!workingThread_) {
        delete start;
        workingWaiting_ = false;
        return;
    }

    // Keep the page's window alive while waiting; the document-ready step waits until the notice
    // is up, once for each window it was posted to.
    std::set<HWND> readyTargets;
    bool done = false;
    while (!done) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &workingReady_, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_VELKOR_DOCUMENT_READY) {
                readyTargets.insert(msg.hwnd);
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (WaitForSingleObject(workingReady_, 0) == WAIT_OBJECT_0) {
                done = true;
                break;
            }
        }
    }
    for (HWND target : readyTargets)
        PostMessageA(target, WM_VELKOR_DOCUMENT_READY, 0, 0);
    workingWaiting_ = false;
}

void CVelkor::HideWorkingNotice() {
    HWND editorWindow = tableEditor_.EditorWindow();
    if (!workingShown_) {
        if (editorWindow)
            SetFocus(editorWindow);
        return;
    }
    // A hide while the show is still starting waits for the dialog, or for the thread's end
    // when the dialog could not be made.
    while (!workingDialog_.load() && !workingEnded_.load() && workingThread_)
        Sleep(100);
    if (HWND dialog = workingDialog_.load())
        PostMessageA(dialog, WM_QUIT, 0, 0);
    EndWorkingThread();
    if (editorWindow)
        SetFocus(editorWindow);
}

void CVelkor::EndWorkingThread() {
    if (workingThread_) {
        WaitForSingleObject(workingThread_, kThreadEndBound);
        CloseHandle(workingThread_);
        workingThread_ = nullptr;
    }
    workingDialog_ = nullptr;
    workingShown_ = false;
}

DWORD WINAPI CVelkor::WorkingDlgThread(LPVOID parameter) {
    std::unique_ptr<NoticeStart> start(static_cast<NoticeStart*>(parameter));
    CVelkor* control = start->control;
    HWND dialog =
        CreateDialogParamA(_Module.GetResourceInstance(), MAKEINTRESOURCEA(kWorkingDialog), control->Window(),
                           &CVelkor::WorkingDlgProc, reinterpret_cast<LPARAM>(start.get()));
    if (!dialog) {
        // The page's thread must not wait for a notice that never comes.
        control->workingEnded_ = true;
        SetEvent(control->workingReady_);
        return 0;
    }
    control->workingDialog_ = dialog;
    ShowWindow(dialog, SW_SHOWNORMAL);
    // The page's thread goes on once the notice is on screen: WM_SHOWWINDOW comes before the
    // window is visible, so the show is signalled when ShowWindow is done.
    SetEvent(control->workingReady_);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(dialog);
    control->workingEnded_ = true;
    return 0;
}

INT_PTR CALLBACK CVelkor::WorkingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* start = reinterpret_cast<NoticeStart*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(start->control));
        CenterOverDesktop(dialog);
        SetDlgItemTextA(dialog, kWorkingText,
                        BstrToAnsi(start->text.c_str(), static_cast<UINT>(start->text.size())).c_str());
        return TRUE;
    }
    case WM_SETCURSOR:
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
    default:
        return FALSE;
    }
}
