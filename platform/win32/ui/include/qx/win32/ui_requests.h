// What the UI driver is shown by the common dialogs and pop-up menus, and what it answers.
// Texts are UTF-8 whichever ("A" or "W") call showed the dialog.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "wintypes.h"

namespace qx::win32 {

// One entry of a file dialog's filter list: "Text files (*.txt)" and "*.txt;*.log".
struct FileDialogFilter {
    std::string name;
    std::string pattern;
};

struct FileDialogRequest {
    bool save = false; // GetSaveFileName, else GetOpenFileName
    bool wide = false; // the "W" call
    HWND owner = nullptr;
    DWORD threadId = 0;
    std::string title; // "Open" or "Save As" when the caller gave none
    std::vector<FileDialogFilter> filters;
    DWORD filterIndex = 0; // 1-based into filters; 0 when there are none
    DWORD flags = 0;       // the OFN_ flags as given
    std::string initialFile;
    std::string initialDirectory;
    std::string defaultExtension;
    int attempt = 1; // 2 and on when an earlier answer was refused
};

// A chosen file: an absolute path, or a name relative to the request's initial directory.
struct FileDialogChoice {
    std::string path;
    DWORD filterIndex = 0; // 0 keeps the request's
};

struct ColorDialogRequest {
    HWND owner = nullptr;
    DWORD flags = 0; // the CC_ flags as given
    COLORREF initial = 0;
    std::array<COLORREF, 16> custom{};
};

struct ColorDialogChoice {
    COLORREF color = 0;
    std::array<COLORREF, 16> custom{}; // as the dialog leaves them
};

// A font in the terms of the font dialog: size in tenths of a point.
struct FontDialogFont {
    std::string faceName;
    int pointSize = 0;
    LONG weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    COLORREF color = 0;
};

struct FontDialogRequest {
    HWND owner = nullptr;
    DWORD flags = 0; // the CF_ flags as given
    FontDialogFont initial;
    int sizeMin = 0; // points, with CF_LIMITSIZE
    int sizeMax = 0;
    int attempt = 1;
};

// The live find or replace dialog. Each press sends the registered FINDMSGSTRING message to the
// dialog's owner with the caller's FINDREPLACE updated, as a click on the button would.
class FindDialogView {
public:
    virtual ~FindDialogView() = default;
    virtual HWND Window() const = 0;
    virtual HWND Owner() const = 0;
    virtual bool IsReplace() const = 0; // ReplaceText, else FindText
    virtual bool IsOpen() const = 0;
    virtual std::string FindWhat() const = 0;
    virtual void SetFindWhat(const std::string& text) = 0;
    virtual std::string ReplaceWith() const = 0;
    virtual void SetReplaceWith(const std::string& text) = 0;
    // FR_DOWN, FR_MATCHCASE and FR_WHOLEWORD as the dialog's controls show them.
    virtual DWORD Options() const = 0;
    virtual void SetOptions(DWORD options) = 0;
    // False when the dialog is closed or the press is not one it offers (no text to find, or
    // Replace on a find dialog).
    virtual bool FindNext() = 0;
    virtual bool Replace() = 0;
    virtual bool ReplaceAll() = 0;
    virtual bool Cancel() = 0;
};

struct MenuItemView {
    UINT id = 0;
    std::string label;
    bool separator = false;
    bool grayed = false;
    bool disabled = false;
    bool checked = false;
    bool popup = false;
    std::vector<MenuItemView> submenu;
};

struct MenuRequest {
    HWND owner = nullptr;
    POINT point{};
    UINT flags = 0; // the TPM_ flags as given
    std::vector<MenuItemView> items;
};

} // namespace qx::win32
