#include "answers_driver.h"

#include "answer_objects.h"
#include "script_error_report.h"
#include "script_file.h"
#include "script_host.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/win32/dialog_view.h>
#include <qx/win32/find_dialog.h>
#include <winuser_msgbox.h>

#include <algorithm>

namespace qx::host {
namespace {

// null, undefined and false: the person chose nothing.
bool ChoseNothing(const VARIANT& answer) {
    return answer.vt == VT_EMPTY || answer.vt == VT_NULL || (answer.vt == VT_BOOL && !answer.boolVal);
}

// A number, as a script gives one (an integer or a double); nothing for any other answer.
std::optional<LONG> NumberOf(const VARIANT& answer) {
    if (answer.vt == VT_BSTR || answer.vt == VT_DISPATCH || answer.vt == VT_BOOL || ChoseNothing(answer))
        return std::nullopt;
    com::Variant number;
    if (FAILED(number.ChangeType(VT_I4, &answer)))
        return std::nullopt;
    return number.lVal;
}

} // namespace

std::unique_ptr<AnswersDriver> AnswersDriver::Load(const std::string& path, std::ostream& err, int& status,
                                                   std::string_view tool) {
    status = kExitCannotRun;
    std::string source;
    const std::string wrong = ReadScriptFile(path, source);
    if (!wrong.empty()) {
        err << tool << ": cannot read the answers file \"" << path << "\": " << wrong << '\n' << std::flush;
        return nullptr;
    }
    std::unique_ptr<AnswersDriver> driver(new AnswersDriver(path, err, tool));
    script::ScriptError error;
    if (driver->m_engine.Run(source, path, &error) != script::RunResult::Completed) {
        ReportScriptError(err, path, error);
        return nullptr;
    }
    status = kExitOk;
    return driver;
}

template <typename Make>
bool AnswersDriver::Ask(std::u16string_view name, Make&& make, VARIANT* result) {
    com::ComPtr<IDispatch> object;
    return SUCCEEDED(make(object.ReleaseAndGetAddressOf())) && CallHandler(name, object.Get(), result);
}

void AnswersDriver::Nonsense(std::string_view handler, std::string_view what) {
    m_err << m_tool << ": " << handler << " gave " << what << '\n' << std::flush;
}

bool AnswersDriver::CallHandler(std::u16string_view name, IDispatch* argument, VARIANT* result) {
    if (!m_engine.OnOwnerThread() || m_engine.IsTerminated())
        return false;
    com::Variant arg(argument);
    bool found = false;
    script::ScriptError error;
    HRESULT hr = m_engine.CallGlobal(name, &arg, 1, result, &found, &error);
    if (FAILED(hr)) {
        ReportScriptError(m_err, m_path, error);
        return false;
    }
    return found;
}

int AnswersDriver::ShowMessageBox(const win32::MessageBoxCall& call) {
    com::ComPtr<IDispatch> box;
    com::Variant answer;
    if (SUCCEEDED(CreateAnswerMessageBox(call, box.ReleaseAndGetAddressOf())) &&
        CallHandler(u"onMessageBox", box.Get(), &answer)) {
        int id = 0;
        if (answer.vt == VT_BSTR) {
            id = ButtonId(std::u16string_view(answer.bstrVal, SysStringLen(answer.bstrVal)));
        } else if (com::Variant number; SUCCEEDED(number.ChangeType(VT_I4, &answer))) {
            id = number.lVal;
        }
        if (std::find(call.buttons.begin(), call.buttons.end(), id) != call.buttons.end())
            return id;
        m_err << m_tool << ": onMessageBox gave no button of the box \"" << call.caption << "\"\n"
              << std::flush;
    }
    return win32::AnswerOnStandardError(call);
}

bool AnswersDriver::ShowDialog(win32::DialogView& view) {
    com::Variant ignored;
    if (!Ask(
            u"onDialog", [&](IDispatch** o) { return CreateAnswerDialog(view.Window(), o); }, &ignored))
        win32::AnswerDialogByDefault(view);
    return true;
}

UINT AnswersDriver::ShowMenu(const win32::MenuRequest& request) {
    com::Variant answer;
    if (Ask(
            u"onMenu", [&](IDispatch** o) { return CreateAnswerMenu(request, o); }, &answer)) {
        if (ChoseNothing(answer))
            return 0;
        // TrackPopupMenu itself turns a grayed or unknown id into nothing chosen.
        if (std::optional<LONG> id = NumberOf(answer); id && *id >= 0)
            return static_cast<UINT>(*id);
        Nonsense("onMenu", "no item id");
    }
    m_err << "TrackPopupMenu -> nothing chosen\n" << std::flush;
    return 0;
}

std::optional<win32::FileDialogChoice>
AnswersDriver::ShowFileDialog(const win32::FileDialogRequest& request) {
    com::Variant answer;
    if (Ask(
            u"onFileDialog", [&](IDispatch** o) { return CreateAnswerFileDialog(request, o); }, &answer)) {
        if (ChoseNothing(answer))
            return std::nullopt;
        if (answer.vt == VT_BSTR && SysStringLen(answer.bstrVal) > 0)
            return win32::FileDialogChoice{com::Utf16ToUtf8({answer.bstrVal, SysStringLen(answer.bstrVal)}),
                                           0};
        Nonsense("onFileDialog", "no path");
    }
    m_err << (request.save ? "GetSaveFileName" : "GetOpenFileName") << " \"" << request.title
          << "\" -> Cancel\n"
          << std::flush;
    return std::nullopt;
}

std::optional<win32::ColorDialogChoice>
AnswersDriver::ShowColorDialog(const win32::ColorDialogRequest& request) {
    com::Variant answer;
    if (Ask(
            u"onColorDialog", [&](IDispatch** o) { return CreateAnswerColorDialog(request, o); }, &answer)) {
        if (ChoseNothing(answer))
            return std::nullopt;
        if (std::optional<LONG> color = NumberOf(answer); color && *color >= 0 && *color <= 0xFFFFFF)
            return win32::ColorDialogChoice{static_cast<COLORREF>(*color), request.custom};
        Nonsense("onColorDialog", "no color");
    }
    m_err << "ChooseColor \"Color\" -> Cancel\n" << std::flush;
    return std::nullopt;
}

void AnswersDriver::ShowFindDialog(win32::FindDialogView& dialog) {
    com::Variant ignored;
    std::weak_ptr<win32::FindDialogView> live = win32::FindReplaceDialogOf(dialog.Window());
    if (!Ask(
            u"onFind", [&](IDispatch** o) { return CreateAnswerFind(live, o); }, &ignored))
        m_err << (dialog.IsReplace() ? "ReplaceText" : "FindText") << " -> Cancel\n" << std::flush;
    // No one is left to press its buttons later: the person closes it.
    if (dialog.IsOpen())
        dialog.Cancel();
}

} // namespace qx::host

namespace qx::host {

bool AnswersDriver::ShowPrintDialog(const win32::PrintDialogRequest& request) {
    com::Variant answer;
    if (Ask(
            u"onPrint", [&](IDispatch** o) { return CreateAnswerPrintDialog(request, o); }, &answer)) {
        if (ChoseNothing(answer))
            return false;
        if (answer.vt == VT_BOOL)
            return true;
        if (answer.vt == VT_BSTR) {
            const int id = ButtonId(std::u16string_view(answer.bstrVal, SysStringLen(answer.bstrVal)));
            if (id == IDOK || id == IDCANCEL)
                return id == IDOK;
        }
        Nonsense("onPrint", "neither OK nor Cancel");
    }
    m_err << "Print \"" << request.title << "\" -> OK\n" << std::flush;
    return true;
}

} // namespace qx::host
