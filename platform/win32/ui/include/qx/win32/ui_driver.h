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

class UiDriver {
public:
    virtual ~UiDriver() = default;
    // The answer: the id of the button pressed (IDOK, IDYES, ...).
    virtual int ShowMessageBox(const MessageBoxCall& call) = 0;
};

// Installs the driver (null removes it); returns the previous one.
UiDriver* SetUiDriver(UiDriver* driver);

// The buttons and the default button of a message box type; false for a type with no buttons
// defined.
bool MessageBoxButtons(UINT type, std::vector<int>& buttons, int& defaultButton);

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
