#include "script_host.h"

#include <objbase_activation.h>
#include <processthreadsapi.h>
#include <qx/module/loader.h>
#include <qx/xml/xml_dom.h>
#include <qx/xmlhttp/xmlhttp.h>
#include <winuser_message.h>

#include "answers_driver.h"
#include "script_error_report.h"
#include "script_file.h"
#include "script_stopper.h"
#include "shell_object.h"
#include "wscript_object.h"

#include <qx/script/event_sink.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qx::host {
namespace {

// Enters the apartment and makes the platform's classes and the host's own creatable; undoes
// both when the host ends. The classes live in this process: the registry is not written, so
// they work whatever state it is in.
class HostApartment {
public:
    HostApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
        if (SUCCEEDED(m_hr)) {
            m_xml = SUCCEEDED(qx::xml::RegisterXmlDomClass());
            m_xmlHttp = SUCCEEDED(qx::xmlhttp::RegisterXmlHttpClass());
            m_shell = SUCCEEDED(RegisterShellClass());
        }
    }
    ~HostApartment() {
        if (m_shell)
            RevokeShellClass();
        if (m_xmlHttp)
            qx::xmlhttp::RevokeXmlHttpClass();
        if (m_xml)
            qx::xml::RevokeXmlDomClass();
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    HostApartment(const HostApartment&) = delete;
    HostApartment& operator=(const HostApartment&) = delete;

private:
    HRESULT m_hr;
    bool m_xml = false;
    bool m_xmlHttp = false;
    bool m_shell = false;
};

std::string HostFolder() {
    const std::optional<std::string> program = module::ModulePath(nullptr);
    return program ? std::filesystem::path(*program).parent_path().string() : std::string();
}

// What stopped the script, reported as the user needs to hear it; the exit status.
int Outcome(script::ScriptEngine& engine, script::RunResult result, const script::ScriptError& error,
            const WScriptContext& context, const ScriptStopper& stopper, const HostOptions& options) {
    std::ostream& err = *options.err;
    const std::string& path = context.scriptFullName;
    switch (result) {
    case script::RunResult::Completed:
        return kExitOk;
    case script::RunResult::Failed:
        ReportScriptError(err, path, error);
        return error.syntax ? kExitCannotRun : kExitScriptError;
    case script::RunResult::TimedOut:
        ReportScriptError(err, path, error);
        return kExitScriptError;
    case script::RunResult::Terminated:
        break;
    }
    if (context.outputFailure) {
        if (!context.outputFailure->standardError)
            err << "scripthost: cannot write to standard output: "
                << std::strerror(context.outputFailure->error) << '\n'
                << std::flush;
        return kExitOutputFailed;
    }
    if (context.eventError) {
        ReportScriptError(err, path, *context.eventError);
        return kExitScriptError;
    }
    switch (stopper.Reason()) {
    case StopReason::TimedOut:
        err << "scripthost: " << path << " ran past its time limit of " << options.timeout.count()
            << (options.timeout.count() == 1 ? " second" : " seconds") << " and was stopped\n"
            << std::flush;
        return kExitTimedOut;
    case StopReason::Signal:
        err << "scripthost: " << path << " was stopped by " << SignalName(stopper.Signal()) << '\n'
            << std::flush;
        return kExitSignalBase + stopper.Signal();
    case StopReason::None:
        break;
    }
    return engine.ExitCode();
}

} // namespace

int RunScriptHost(const HostOptions& options) {
    std::ostream& err = *options.err;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(options.scriptPath, ec);
    if (ec)
        full = options.scriptPath;
    const std::string fullName = full.lexically_normal().string();

    std::string source;
    const std::string wrong = ReadScriptFile(options.scriptPath, source);
    if (!wrong.empty()) {
        err << "scripthost: cannot read the script file \"" << options.scriptPath << "\": " << wrong << '\n'
            << std::flush;
        return kExitCannotRun;
    }

    // The script's thread is a single-threaded apartment; the platform's own classes (the XML
    // parser and the XML HTTP request) and WScript.Shell are creatable by ProgID while it runs.
    HostApartment apartment;
    // The answers script runs in an engine of its own, on this thread, before the script does.
    std::unique_ptr<AnswersDriver> answers;
    if (!options.answersPath.empty()) {
        int status = kExitOk;
        answers = AnswersDriver::Load(options.answersPath, err, status);
        if (!answers)
            return status;
    }
    DriverInstallation installed(answers.get());
    // The watcher outlives the engine: a signal while objects are released only counts, and a
    // second one ends the program at once.
    ScriptStopper stopper(options.timeout, options.stopOnSignals);
    int exitCode = kExitOk;
    {
        script::ScriptEngine engine;
        script::EventConnections events(engine);
        const script::Activator activator =
            options.activator ? options.activator : script::Activator(ActivateByProgId);
        WScriptContext context{fullName, HostFolder(), options.arguments, options.out, options.err,
                               &events,  activator,    std::nullopt,      std::nullopt};
        events.SetErrorHandler([&](const script::ScriptError& error) {
            if (!context.eventError)
                context.eventError = error;
            engine.Terminate(kExitScriptError);
        });
        engine.SetActivator(activator);
        if (FAILED(DefineWScript(engine, context))) {
            err << "scripthost: cannot set up the script's objects\n" << std::flush;
            return kExitCannotRun;
        }
        // A stop request wakes the script's thread, which may be waiting in WScript.Sleep.
        const DWORD scriptThread = GetCurrentThreadId();
        stopper.Arm([&engine, scriptThread](int code) {
            if (!engine.Terminate(code))
                return false;
            PostThreadMessageW(scriptThread, WM_NULL, 0, 0);
            return true;
        });
        script::ScriptError error;
        const script::RunResult result = engine.Run(source, fullName, &error);
        stopper.Disarm();
        exitCode = Outcome(engine, result, error, context, stopper, options);
        // Connections go before the engine, and the engine's finalizers release every object
        // (a converter then removes its temporary files).
        events.DisconnectAll();
    }
    return exitCode;
}

} // namespace qx::host
