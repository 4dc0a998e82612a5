// The UI driver: whoever stands in for the person in front of the screen. Tests install one to
// see every message box and to choose its answer.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "qx/win32/ui_requests.h"
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
    // The common dialogs and pop-up menus; a driver that does not answer one cancels it.
    virtual std::optional<FileDialogChoice> ShowFileDialog(const FileDialogRequest& request);
    virtual std::optional<ColorDialogChoice> ShowColorDialog(const ColorDialogRequest& request);
    virtual std::optional<FontDialogFont> ShowFontDialog(const FontDialogRequest& request);
    // Called once the find or replace dialog is up, from the message loop of its thread; the
    // dialog stays open for later presses until Cancel or its destruction.
    virtual void ShowFindDialog(FindDialogView& dialog);
    // The id of the chosen item, 0 for none.
    virtual UINT ShowMenu(const MenuRequest& request);
};

// The installed driver, or null.
UiDriver* CurrentUiDriver();

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

// A driver for tests of the common dialogs and menus as well: records every request and answers
// from queues, then cancels (a menu chooses nothing). The find handler runs for each find or
// replace dialog; without one the dialog is cancelled.
class UiRecorder : public MessageBoxRecorder {
public:
    std::optional<FileDialogChoice> ShowFileDialog(const FileDialogRequest& request) override;
    std::optional<ColorDialogChoice> ShowColorDialog(const ColorDialogRequest& request) override;
    std::optional<FontDialogFont> ShowFontDialog(const FontDialogRequest& request) override;
    void ShowFindDialog(FindDialogView& dialog) override;
    UINT ShowMenu(const MenuRequest& request) override;

    void QueueFile(std::optional<FileDialogChoice> choice);
    void QueueColor(std::optional<ColorDialogChoice> choice);
    void QueueFont(std::optional<FontDialogFont> choice);
    void QueueMenu(UINT id);
    void SetFindHandler(std::function<void(FindDialogView&)> handler);

    std::vector<FileDialogRequest> FileRequests() const;
    std::vector<ColorDialogRequest> ColorRequests() const;
    std::vector<FontDialogRequest> FontRequests() const;
    std::vector<MenuRequest> MenuRequests() const;

private:
    mutable std::mutex lock_;
    std::vector<FileDialogRequest> fileRequests_;
    std::deque<std::optional<FileDialogChoice>> files_;
    std::vector<ColorDialogRequest> colorRequests_;
    std::deque<std::optional<ColorDialogChoice>> colors_;
    std::vector<FontDialogRequest> fontRequests_;
    std::deque<std::optional<FontDialogFont>> fonts_;
    std::vector<MenuRequest> menuRequests_;
    std::deque<UINT> menus_;
    std::function<void(FindDialogView&)> findHandler_;
};

} // namespace qx::win32
