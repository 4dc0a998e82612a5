// The UI driver's live view of a dialog: what a person sees (caption, controls and their
// texts, items and check marks) and does (types, picks, checks, clicks). Every action goes to
// the controls as messages, so the dialog procedure hears the same WM_COMMAND notifications a
// screen would give it. A view may be used from any thread; its calls are sent to the dialog's.
// Texts are UTF-8.
#pragma once

#include "qx/win32/ui_driver.h"
#include "wintypes.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::win32 {

struct DialogControl {
    int id = 0;
    std::string className; // "BUTTON", "EDIT", ...
    std::string text;
    DWORD style = 0;
    RECT rect{}; // in the dialog's client coordinates, pixels
    bool enabled = false;
    bool visible = false;
};

class DialogView {
public:
    explicit DialogView(HWND dialog) : dialog_(dialog) {}

    HWND Window() const { return dialog_; }
    // Which dialog this is; empty when the window is not one of the manager's dialogs.
    DialogRequest Request() const;
    std::string Caption() const;
    // Neither ended nor destroyed.
    bool IsOpen() const;

    std::vector<DialogControl> Controls() const;
    std::optional<std::string> Text(int id) const;
    // Replaces a control's text as a person would: an edit by selecting all and typing (its
    // limit applies, a read-only one refuses), a combo box's edit field likewise, a drop-down
    // list by picking the item with that text; other controls get the text as their own.
    bool SetText(int id, std::string_view text);

    int CheckState(int id) const; // BST_*, or -1 for no such control
    // Clicks the button until it shows `state` (at most three clicks); false when it cannot.
    bool SetCheck(int id, int state);
    // Clicks an enabled button: the same BN_CLICKED a mouse click sends.
    bool Click(int id);

    // Combo and list boxes: the items, the selected index (-1 none), an item's data.
    std::vector<std::string> Items(int id) const;
    int Selection(int id) const;
    LPARAM ItemData(int id, int index) const;
    // Picks an item as a click in the list would (a multiple-selection list toggles its mark).
    bool SelectItem(int id, int index);
    bool SelectItem(int id, std::string_view text); // the first item with exactly this text
    bool DoubleClickItem(int id, int index);

    // Enter: the default button (IDOK without one). Escape: IDCANCEL.
    bool PressDefault();
    bool Cancel();

private:
    HWND Item(int id) const;
    std::string ClassOf(HWND control) const;

    HWND dialog_;
};

// What a dialog gets without a driver: its default button, and one line on standard error
// (`Dialog 300 "표 만들기" -> [확인]`).
void AnswerDialogByDefault(DialogView& view);

// The open dialogs of every thread, oldest first; the last one matching a template id or a
// caption, or null.
std::vector<HWND> OpenDialogs();
HWND FindDialog(WORD templateId);
HWND FindDialog(std::string_view caption);

// Handlers by template id or caption, for a driver's ShowDialog and FailDialogCreation.
class DialogHandlerTable {
public:
    using Handler = std::function<void(DialogView&)>;

    void On(WORD templateId, Handler handler);
    void On(std::string caption, Handler handler);
    void FailCreation(WORD templateId);
    void FailCreation(std::string caption);

    bool Fails(const DialogRequest& request) const;
    // Runs the handler for the dialog; false when none matches.
    bool Handle(DialogView& view) const;

private:
    struct Entry {
        WORD templateId = 0;
        std::string caption;
        Handler handler;
        bool fail = false;
        bool Matches(const DialogRequest& request) const;
    };
    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};

} // namespace qx::win32
