#include "script_host.h"

#include <objbase_activation.h>
#include <qx/xml/xml_dom.h>
#include <qx/xmlhttp/xmlhttp.h>

#include "wscript_object.h"

#include <qx/script/event_sink.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace qx::host {
namespace {

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string Place(const std::string& path, int line) {
    return line > 0 ? path + "(" + std::to_string(line) + ")" : path;
}

void ReportError(std::ostream& err, const std::string& path, const script::ScriptError& error) {
    err << Place(path, error.line) << ": " << (error.syntax ? "syntax error " : "runtime error ")
        << Hex(error.number) << ": " << error.message << '\n'
        << std::flush;
}

// Enters the apartment and registers the platform's classes; undoes both when the host ends.
class HostApartment {
public:
    HostApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
        if (SUCCEEDED(m_hr)) {
            // A registry that cannot be written only leaves these classes out.
            m_xml = SUCCEEDED(qx::xml::RegisterXmlDomClass());
            m_xmlHttp = SUCCEEDED(qx::xmlhttp::RegisterXmlHttpClass());
        }
    }
    ~HostApartment() {
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
};

} // namespace

int RunScriptHost(const HostOptions& options) {
    std::ostream& err = *options.err;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(options.scriptPath, ec);
    if (ec)
        full = options.scriptPath;
    const std::string fullName = full.lexically_normal().string();

    std::ifstream file(options.scriptPath, std::ios::binary);
    if (!file || std::filesystem::is_directory(options.scriptPath, ec)) {
        const int code = errno;
        err << "scripthost: cannot read the script file \"" << options.scriptPath
            << "\": " << (code ? std::strerror(code) : "not a file") << '\n'
            << std::flush;
        return kExitCannotRun;
    }
    std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        err << "scripthost: cannot read the script file \"" << options.scriptPath << "\"\n" << std::flush;
        return kExitCannotRun;
    }
    if (source.compare(0, 3, "\xEF\xBB\xBF") == 0)
        source.erase(0, 3);

    // The script's thread is a single-threaded apartment; the platform's own classes (the XML
    // parser and the XML HTTP request) are creatable by ProgID while it runs.
    HostApartment apartment;
    script::ScriptEngine engine;
    script::EventConnections events(engine);
    WScriptContext context{fullName, options.arguments, options.out, options.err, &events, std::nullopt};
    events.SetErrorHandler([&](const script::ScriptError& error) {
        if (!context.eventError)
            context.eventError = error;
        engine.Terminate(kExitScriptError);
    });
    engine.SetActivator(options.activator ? options.activator : script::Activator(ActivateByProgId));
    if (FAILED(DefineWScript(engine, context))) {
        err << "scripthost: cannot set up the script's objects\n" << std::flush;
        return kExitCannotRun;
    }

    script::ScriptError error;
    const script::RunResult result = engine.Run(source, fullName, &error);
    int exitCode = kExitOk;
    switch (result) {
    case script::RunResult::Completed:
        break;
    case script::RunResult::Terminated:
        if (context.eventError) {
            ReportError(err, fullName, *context.eventError);
            exitCode = kExitScriptError;
        } else {
            exitCode = engine.ExitCode();
        }
        break;
    case script::RunResult::Failed:
        ReportError(err, fullName, error);
        exitCode = error.syntax ? kExitCannotRun : kExitScriptError;
        break;
    case script::RunResult::TimedOut:
        ReportError(err, fullName, error);
        exitCode = kExitScriptError;
        break;
    }
    // Connections go before the engine, and the engine's finalizers release every object.
    events.DisconnectAll();
    return exitCode;
}

} // namespace qx::host
