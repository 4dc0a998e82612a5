#include <atomic>
#include <cstdio>

#include "errhandlingapi.h"
#include "processthreadsapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/ui_driver.h"
#include "winerror.h"
#include "winuser_msgbox.h"

namespace qx::win32 {
namespace {

std::atomic<UiDriver*> g_driver{nullptr};

} // namespace

const char* MessageBoxButtonName(int id) {
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    case IDTRYAGAIN:
        return "Try Again";
    case IDCONTINUE:
        return "Continue";
    case IDHELP:
        return "Help";
    case IDCLOSE:
        return "Close";
    default:
        return "?";
    }
}

namespace {} // namespace

// Without a driver: one readable block on standard error, answered with the default button.
int AnswerOnStandardError(const MessageBoxCall& call) {
    std::string buttons;
    for (int id : call.buttons) {
        if (!buttons.empty()) {
            buttons.append(" ");
        }
        bool isDefault = id == call.defaultButton;
        buttons.append(isDefault ? "[" : "").append(MessageBoxButtonName(id)).append(isDefault ? "]" : "");
    }
    std::fprintf(stderr, "MessageBox \"%s\": %s (%s) -> %s\n", call.caption.c_str(), call.text.c_str(),
                 buttons.c_str(), MessageBoxButtonName(call.defaultButton));
    return call.defaultButton;
}

namespace {

int Show(MessageBoxCall& call) {
    if (!MessageBoxButtons(call.type, call.buttons, call.defaultButton)) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    call.threadId = GetCurrentThreadId();
    UiDriver* driver = g_driver.load();
    return driver != nullptr ? driver->ShowMessageBox(call) : AnswerOnStandardError(call);
}

} // namespace

UiDriver* SetUiDriver(UiDriver* driver) {
    return g_driver.exchange(driver);
}

UiDriver* GetUiDriver() {
    return g_driver.load();
}

bool MessageBoxButtons(UINT type, std::vector<int>& buttons, int& defaultButton) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        buttons = {IDOK};
        break;
    case MB_OKCANCEL:
        buttons = {IDOK, IDCANCEL};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {IDABORT, IDRETRY, IDIGNORE};
        break;
    case MB_YESNOCANCEL:
        buttons = {IDYES, IDNO, IDCANCEL};
        break;
    case MB_YESNO:
        buttons = {IDYES, IDNO};
        break;
    case MB_RETRYCANCEL:
        buttons = {IDRETRY, IDCANCEL};
        break;
    case MB_CANCELTRYCONTINUE:
        buttons = {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
        break;
    default:
        buttons.clear();
        defaultButton = 0;
        return false;
    }
    if (type & MB_HELP) {
        buttons.push_back(IDHELP);
    }
    std::size_t index = (type & MB_DEFMASK) >> 8;
    // A default beyond the last button falls back to the first, as the system does.
    defaultButton = buttons[index < buttons.size() ? index : 0];
    if (defaultButton == IDHELP) {
        defaultButton = buttons[0];
    }
    return true;
}

int MessageBoxRecorder::ShowMessageBox(const MessageBoxCall& call) {
    std::lock_guard guard(lock_);
    calls_.push_back(call);
    if (answers_.empty()) {
        return call.defaultButton;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void MessageBoxRecorder::QueueAnswer(int answer) {
    std::lock_guard guard(lock_);
    answers_.push_back(answer);
}

std::vector<MessageBoxCall> MessageBoxRecorder::Calls() const {
    std::lock_guard guard(lock_);
    return calls_;
}

void MessageBoxRecorder::Clear() {
    std::lock_guard guard(lock_);
    calls_.clear();
    answers_.clear();
}

} // namespace qx::win32

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    qx::win32::MessageBoxCall call;
    call.owner = hWnd;
    call.type = uType;
    call.ansiText = lpText != nullptr ? lpText : "";
    call.captionGiven = lpCaption != nullptr;
    call.ansiCaption = lpCaption != nullptr ? lpCaption : "Error";
    call.text = qx::win32::AnsiToUtf8(call.ansiText);
    call.caption = qx::win32::AnsiToUtf8(call.ansiCaption);
    return qx::win32::Show(call);
}

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    qx::win32::MessageBoxCall call;
    call.owner = hWnd;
    call.type = uType;
    call.wide = true;
    call.wideText = lpText != nullptr ? lpText : u"";
    call.captionGiven = lpCaption != nullptr;
    call.wideCaption = lpCaption != nullptr ? lpCaption : u"Error";
    call.text = qx::win32::WideToUtf8(call.wideText);
    call.caption = qx::win32::WideToUtf8(call.wideCaption);
    return qx::win32::Show(call);
}
