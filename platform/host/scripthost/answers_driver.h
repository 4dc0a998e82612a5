// The UI driver of an answers script (scripthost --answers FILE.js): a script, run in an engine
// of its own on the script host's thread, whose handlers answer what the components show.
//
//   function onMessageBox(box) { return box.Text.indexOf("저장") >= 0 ? "Yes" : box.DefaultButton; }
//   function onDialog(dialog) { dialog.SetText(100, "성적표"); dialog.Click(1); }
//
// onMessageBox returns a button by name ("OK", "Yes", ...) or by id; onDialog acts on the live
// dialog and the dialog ends as its procedure decides; onMenu returns an item's id (0 for none);
// onFileDialog a path, or null to cancel; onColorDialog a color, or null; onFind presses the
// find or replace dialog's buttons, and the dialog is closed once it returns; onPrint returns true
// (or "OK") to print and false (or "Cancel") to cancel. Without the
// handler, or when the handler fails or answers nonsense, each gets what it gets without any
// answers script (the default button, nothing chosen, cancel) and a line on standard error.
// Requests of other threads are answered the same default way: the script's engine belongs to
// its thread.
#pragma once

#include <qx/script/script_engine.h>
#include <qx/win32/ui_driver.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace qx::host {

class AnswersDriver : public win32::UiDriver {
public:
    // Reads and runs the answers script; null with the problem written to `err` (and `status`
    // the exit status to give) when it cannot be read, compiled or run.
    // `tool` names the program in what it writes.
    static std::unique_ptr<AnswersDriver> Load(const std::string& path, std::ostream& err, int& status,
                                               std::string_view tool = "scripthost");

    int ShowMessageBox(const win32::MessageBoxCall& call) override;
    bool ShowDialog(win32::DialogView& view) override;
    UINT ShowMenu(const win32::MenuRequest& request) override;
    std::optional<win32::FileDialogChoice> ShowFileDialog(const win32::FileDialogRequest& request) override;
    std::optional<win32::ColorDialogChoice>
    ShowColorDialog(const win32::ColorDialogRequest& request) override;
    void ShowFindDialog(win32::FindDialogView& dialog) override;
    bool ShowPrintDialog(const win32::PrintDialogRequest& request) override;

private:
    AnswersDriver(std::string path, std::ostream& err, std::string_view tool)
        : m_path(std::move(path)), m_err(err), m_tool(tool) {}
    // Calls the handler with the object; false when there is none, or it failed (reported).
    bool CallHandler(std::u16string_view name, IDispatch* argument, VARIANT* result);
    // Calls the handler with the object made by `make`; false as CallHandler.
    template <typename Make>
    bool Ask(std::u16string_view name, Make&& make, VARIANT* result);
    // The line that tells a handler's answer was no answer.
    void Nonsense(std::string_view handler, std::string_view what);

    std::string m_path;
    std::ostream& m_err;
    std::string m_tool;
    script::ScriptEngine m_engine;
};

// Installs a driver for as long as it lives, then puts the previous one back.
class DriverInstallation {
public:
    explicit DriverInstallation(win32::UiDriver* driver)
        : m_installed(driver != nullptr), m_previous(driver ? win32::SetUiDriver(driver) : nullptr) {}
    ~DriverInstallation() {
        if (m_installed)
            win32::SetUiDriver(m_previous);
    }
    DriverInstallation(const DriverInstallation&) = delete;
    DriverInstallation& operator=(const DriverInstallation&) = delete;

private:
    bool m_installed;
    win32::UiDriver* m_previous;
};

} // namespace qx::host
