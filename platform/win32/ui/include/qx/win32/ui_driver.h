// The UI driver: whoever stands in for the person in front of the screen. Tests install one to
// see every message box and to choose its answer.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "qx/win32/print_requests.h"
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
    // The common dialogs and pop-up menus; a driver that does not answer one cancels it.
    virtual std::optional<FileDialogChoice> ShowFileDialog(const FileDialogRequest& request);
    virtual std::optional<ColorDialogChoice> ShowColorDialog(const ColorDialogRequest& request);
    virtual std::optional<FontDialogFont> ShowFontDialog(const FontDialogRequest& request);
    // Called once the find or replace dialog is up, from the message loop of its thread; the
    // dialog stays open for later presses until Cancel or its destruction.
    virtual void ShowFindDialog(FindDialogView& dialog);
    // The id of the chosen item, 0 for none.
    virtual UINT ShowMenu(const MenuRequest& request);
    // Asked before a dialog is made; true makes the making fail (DialogBoxParam returns -1,
    // CreateDialogParam null), as when the system runs out of resources.
    virtual bool FailDialogCreation(const DialogRequest&) { return false; }
    // A dialog is on screen: the driver acts on it through the view, on the dialog's thread, and
    // the dialog ends as its procedure decides. False leaves it to the default: its default
    // button is pressed.
    virtual bool ShowDialog(DialogView&) { return false; }
    // The print dialog: true prints, false cancels. The default presses OK.
    virtual bool ShowPrintDialog(const PrintDialogRequest&) { return true; }
    // A job for the printer: true when the driver took it; false leaves it to the platform's
    // printer (the print folder).
    virtual bool TakePrintJob(const PrintJob&) { return false; }
    // A page asked for a new browser window; the default opens none.
    virtual void OpenBrowserWindow(const BrowserWindowRequest&) {}
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
    // Records the print dialog and answers from the queue, then prints.
    bool ShowPrintDialog(const PrintDialogRequest& request) override;
    // Records every job and takes it: nothing reaches the print folder.
    bool TakePrintJob(const PrintJob& job) override;
    void OpenBrowserWindow(const BrowserWindowRequest& request) override;
    void QueuePrintAnswer(bool print);

    std::vector<FileDialogRequest> FileRequests() const;
    std::vector<ColorDialogRequest> ColorRequests() const;
    std::vector<FontDialogRequest> FontRequests() const;
    std::vector<MenuRequest> MenuRequests() const;
    std::vector<PrintDialogRequest> PrintDialogRequests() const;
    std::vector<PrintJob> PrintJobs() const;
    std::vector<BrowserWindowRequest> BrowserWindowRequests() const;

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
    std::vector<PrintDialogRequest> printDialogs_;
    std::deque<bool> printAnswers_;
    std::vector<PrintJob> printJobs_;
    std::vector<BrowserWindowRequest> browserWindows_;
};

} // namespace qx::win32
