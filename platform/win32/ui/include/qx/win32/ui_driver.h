// The UI driver: whoever stands in for the person in front of the screen. Tests install one to
// see every message box and to choose its answer.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

struct MessageBoxCall {
    HWND owner = nullptr;
    UINT type = 0;      // the MB_ flags as given
    bool wide = false;  // MessageBoxW
    DWORD threadId = 0; // the thread that showed the box
    // Text and caption as shown, in UTF-8. A missing caption shows as "Error".
    std::string text;
    std::string caption;
    bool captionGiven = false;
    // The caller's own text: ANSI bytes from MessageBoxA, UTF-16 from MessageBoxW.
    std::string ansiText;
    std::string ansiCaption;
    std::u16string wideText;
    std::u16string wideCaption;
    // Buttons of the box in order, and the default one.
    std::vector<int> buttons;
    int defaultButton = 0;
};

// A dialog about to be made: which template, with what caption, modal or not, on which thread.
struct DialogRequest {
    HINSTANCE module = nullptr;
    WORD templateId = 0;      // 0 for a named template or one given in memory
    std::string templateName; // UTF-8, for a named template
    std::string caption;      // UTF-8
    bool modal = false;
    DWORD threadId = 0;
};

class DialogView; // qx/win32/dialog_view.h

class UiDriver {
public:
    virtual ~UiDriver() = default;
    // The answer: the id of the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessageBox(const MessageBoxCall& call) = 0;
    // Asked before a dialog is made; true makes the making fail (DialogBoxParam returns -1,
    // CreateDialogParam null), as when the system runs out of resources.
    virtual bool FailDialogCreation(const DialogRequest&) { return false; }
    // A dialog is on screen: the driver acts on it through the view, on the dialog's thread, and
    // the dialog ends as its procedure decides. False leaves it to the default: its default
    // button is pressed.
    virtual bool ShowDialog(DialogView&) { return false; }
};

// Installs the driver (null removes it); returns the previous one.
UiDriver* SetUiDriver(UiDriver* driver);
// The installed driver, or null.
UiDriver* GetUiDriver();

// The buttons and the default button of a message box type; false for a type with no buttons
// defined.
bool MessageBoxButtons(UINT type, std::vector<int>& buttons, int& defaultButton);

// What happens to a box without a driver: one line on standard error, and its default button.
int AnswerOnStandardError(const MessageBoxCall& call);

// The name a button shows ("OK", "Cancel", "Try Again", ...); "?" for an unknown id.
const char* MessageBoxButtonName(int id);

// A driver for tests: records every box and answers from a queue, then with the default
// button.
class MessageBoxRecorder : public UiDriver {
public:
    int ShowMessageBox(const MessageBoxCall& call) override;
    void QueueAnswer(int answer);
    std::vector<MessageBoxCall> Calls() const;
    void Clear();

private:
    mutable std::mutex lock_;
    std::vector<MessageBoxCall> calls_;
    std::deque<int> answers_;
};

} // namespace qx::win32
