// FindText and ReplaceText: a modeless dialog owned by the caller's window. The UI driver is
// shown it from the thread's message loop; each press writes the caller's FINDREPLACE and
// sends the registered FINDMSGSTRING message to the owner.
#include <cstdio>
#include <mutex>

#include "commdlg.h"
#include "commdlg_error.h"
#include "dialog_text.h"
#include "dialog_window.h"
#include "processthreadsapi.h"
#include "qx/win32/find_dialog.h"
#include "qx/win32/message_queue.h"
#include "qx/win32/ui_driver.h"
#include "qx/win32/window_internals.h"
#include "winuser_window.h"

namespace qx::win32 {
namespace {

constexpr const char* kDialogKey = "qx.commdlg.findreplace";
constexpr DWORD kOptionBits = FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD;
constexpr DWORD kPressBits = FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM;

template <typename Fr, typename Char>
class FindReplaceDialog final : public FindDialogView {
public:
    FindReplaceDialog(Fr* record, bool replace, HWND window, UINT message)
        : record_(record), owner_(record->hwndOwner), replace_(replace), window_(window), message_(message),
          findWhat_(DialogText<Char>::ToUtf8(BoundedText<Char>(record->lpstrFindWhat, record->wFindWhatLen))),
          options_(record->Flags & kOptionBits) {
        if (replace) {
            replaceWith_ = DialogText<Char>::ToUtf8(
                BoundedText<Char>(record->lpstrReplaceWith, record->wReplaceWithLen));
        }
    }

    HWND Window() const override { return window_; }
    HWND Owner() const override { return owner_; }
    bool IsReplace() const override { return replace_; }
    bool IsOpen() const override {
        std::lock_guard guard(lock_);
        return !closed_ && IsWindow(window_);
    }
    std::string FindWhat() const override {
        std::lock_guard guard(lock_);
        return findWhat_;
    }
    void SetFindWhat(const std::string& text) override {
        std::lock_guard guard(lock_);
        findWhat_ = text;
    }
    std::string ReplaceWith() const override {
        std::lock_guard guard(lock_);
        return replaceWith_;
    }
    void SetReplaceWith(const std::string& text) override {
        std::lock_guard guard(lock_);
        replaceWith_ = text;
    }
    DWORD Options() const override {
        std::lock_guard guard(lock_);
        return options_;
    }
    void SetOptions(DWORD options) override {
        std::lock_guard guard(lock_);
        options_ = options & kOptionBits;
    }
    bool FindNext() override { return Press(FR_FINDNEXT); }
    bool Replace() override { return replace_ && Press(FR_REPLACE); }
    bool ReplaceAll() override { return replace_ && Press(FR_REPLACEALL); }
    bool Cancel() override {
        if (!Press(FR_DIALOGTERM)) {
            return false;
        }
        DestroyWindow(window_);
        return true;
    }

private:
    // Writes the dialog's state into the caller's record and tells the owner. The texts are cut
    // to the caller's buffers.
    bool Press(DWORD press) {
        {
            std::lock_guard guard(lock_);
            if (closed_ || !IsWindow(window_) || (press != FR_DIALOGTERM && findWhat_.empty())) {
                return false;
            }
            std::basic_string<Char> text;
            DialogText<Char>::FromUtf8(findWhat_, text);
            CopyTruncated<Char>(text, record_->lpstrFindWhat, record_->wFindWhatLen);
            if (replace_) {
                DialogText<Char>::FromUtf8(replaceWith_, text);
                CopyTruncated<Char>(text, record_->lpstrReplaceWith, record_->wReplaceWithLen);
            }
            record_->Flags = (record_->Flags & ~(kOptionBits | kPressBits)) | options_ | press;
            closed_ = press == FR_DIALOGTERM;
        }
        SendMessageW(owner_, message_, 0, reinterpret_cast<LPARAM>(record_));
        return true;
    }

    mutable std::mutex lock_;
    Fr* record_;
    HWND owner_;
    bool replace_;
    HWND window_;
    UINT message_;
    std::string findWhat_;
    std::string replaceWith_;
    DWORD options_;
    bool closed_ = false;
};

// The driver meets the dialog when the thread next runs its queue, once the caller holds the
// window handle; without a driver the dialog closes as with Cancel.
void ShowWhenPumped(const std::shared_ptr<FindDialogView>& dialog) {
    std::weak_ptr<FindDialogView> weak = dialog;
    PostThreadCall(GetCurrentThreadId(), [weak] {
        std::shared_ptr<FindDialogView> live = weak.lock();
        if (!live || !live->IsOpen()) {
            return;
        }
        if (UiDriver* driver = CurrentUiDriver()) {
            driver->ShowFindDialog(*live);
        } else {
            std::fprintf(stderr, "%s -> Cancel (no UI driver)\n",
                         live->IsReplace() ? "ReplaceText" : "FindText");
            live->Cancel();
        }
    });
}

template <typename Fr, typename Char>
HWND Open(Fr* record, bool replace) {
    if (record == nullptr) {
        SetCommDlgError(CDERR_INITIALIZATION);
        return nullptr;
    }
    if (record->lStructSize != sizeof(Fr)) {
        SetCommDlgError(CDERR_STRUCTSIZE);
        return nullptr;
    }
    if ((record->Flags & FR_ENABLEHOOK) && record->lpfnHook == nullptr) {
        SetCommDlgError(CDERR_NOHOOK);
        return nullptr;
    }
    if (record->lpstrFindWhat == nullptr || record->wFindWhatLen == 0 ||
        (replace && (record->lpstrReplaceWith == nullptr || record->wReplaceWithLen == 0))) {
        SetCommDlgError(FRERR_BUFFERLENGTHZERO);
        return nullptr;
    }
    if (!IsWindow(record->hwndOwner)) {
        SetCommDlgError(CDERR_DIALOGFAILURE);
        return nullptr;
    }
    UINT message = RegisterWindowMessageW(FINDMSGSTRINGW);
    CommonDialogHook hook = (record->Flags & FR_ENABLEHOOK) ? record->lpfnHook : nullptr;
    HWND window = message != 0
                      ? CreateCommonDialogWindow(record->hwndOwner, replace ? u"Replace" : u"Find", hook)
                      : nullptr;
    if (window == nullptr) {
        SetCommDlgError(message == 0 ? CDERR_REGISTERMSGFAIL : CDERR_DIALOGFAILURE);
        return nullptr;
    }
    std::shared_ptr<FindDialogView> dialog =
        std::make_shared<FindReplaceDialog<Fr, Char>>(record, replace, window, message);
    SetWindowAttachment(window, kDialogKey, dialog);
    if (hook != nullptr) {
        SendMessageW(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(record));
    }
    ShowWhenPumped(dialog);
    SetCommDlgError(0);
    return window;
}

} // namespace

std::shared_ptr<FindDialogView> FindReplaceDialogOf(HWND dialog) {
    return GetWindowAttachmentAs<FindDialogView>(dialog, kDialogKey);
}

} // namespace qx::win32

HWND WINAPI FindTextA(LPFINDREPLACEA lpfr) {
    return qx::win32::Open<FINDREPLACEA, char>(lpfr, false);
}

HWND WINAPI FindTextW(LPFINDREPLACEW lpfr) {
    return qx::win32::Open<FINDREPLACEW, char16_t>(lpfr, false);
}

HWND WINAPI ReplaceTextA(LPFINDREPLACEA lpfr) {
    return qx::win32::Open<FINDREPLACEA, char>(lpfr, true);
}

HWND WINAPI ReplaceTextW(LPFINDREPLACEW lpfr) {
    return qx::win32::Open<FINDREPLACEW, char16_t>(lpfr, true);
}
