#include "answers_driver.h"

#include "answer_objects.h"
#include "script_error_report.h"
#include "script_file.h"
#include "script_host.h"

#include <qx/com/comptr.h>
#include <qx/com/variant.h>
#include <qx/win32/dialog_view.h>

#include <algorithm>

namespace qx::host {

std::unique_ptr<AnswersDriver> AnswersDriver::Load(const std::string& path, std::ostream& err, int& status) {
    status = kExitCannotRun;
    std::string source;
    const std::string wrong = ReadScriptFile(path, source);
    if (!wrong.empty()) {
        err << "scripthost: cannot read the answers file \"" << path << "\": " << wrong << '\n' << std::flush;
        return nullptr;
    }
    std::unique_ptr<AnswersDriver> driver(new AnswersDriver(path, err));
    script::ScriptError error;
    if (driver->m_engine.Run(source, path, &error) != script::RunResult::Completed) {
        ReportScriptError(err, path, error);
        return nullptr;
    }
    status = kExitOk;
    return driver;
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
        m_err << "scripthost: onMessageBox gave no button of the box \"" << call.caption << "\"\n"
              << std::flush;
    }
    return win32::AnswerOnStandardError(call);
}

bool AnswersDriver::ShowDialog(win32::DialogView& view) {
    com::ComPtr<IDispatch> dialog;
    com::Variant ignored;
    if (FAILED(CreateAnswerDialog(view.Window(), dialog.ReleaseAndGetAddressOf())) ||
        !CallHandler(u"onDialog", dialog.Get(), &ignored))
        win32::AnswerDialogByDefault(view);
    return true;
}

} // namespace qx::host
