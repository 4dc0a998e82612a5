// scripthost [OPTION...] SCRIPT.js [ARG...]
#include "script_host.h"

#include <qx/host/command_line.h>
#include <qx/host/standard_streams.h>

#include <csignal>
#include <iostream>

namespace {

constexpr std::string_view kSummary =
    "Runs a JavaScript file with the WScript object and ActiveXObject, creating registered\n"
    "classes through the registry. Every argument after the script is the script's own.\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0, or the script's WScript.Quit code; 1 an exception nobody caught; 2 a wrong\n"
    "command line, or a script or answers script that cannot be read or compiled (or an answers\n"
    "script that fails as it is loaded); 3 the time limit ran out; 4 standard output or standard\n"
    "error could not be written; 130 stopped by SIGINT, 143 by SIGTERM.\n";

} // namespace

int main(int argc, char** argv) {
    // A reader that went away (scripthost x.js | head -1) is a failed write like any other: the
    // script stops and its objects are released, rather than the program dying of SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    qx::host::HostOptions options;
    const qx::host::Option table[] = {
        {"--timeout", "SECONDS", "stop the script after SECONDS seconds (0, the default: no limit)",
         [&](std::string_view value) {
             unsigned long seconds = 0;
             std::string wrong = qx::host::ParseWholeNumber(value, 2'147'483, seconds);
             options.timeout = std::chrono::seconds(seconds);
             return wrong;
         }},
        {"--answers", "FILE.js",
         "answer message boxes and dialogs with the onMessageBox and onDialog handlers of FILE.js",
         [&](std::string_view value) {
             options.answersPath = std::string(value);
             return value.empty() ? std::string("wants a file name") : std::string();
         }},
    };
    const qx::host::CommandLineSpec spec{
        "scripthost", "usage: scripthost [OPTION...] SCRIPT.js [ARG...]", kSummary, table, 1, false,
        kExitStatuses};
    const qx::host::ParsedCommandLine line = qx::host::ParseCommandLine(spec, argc, argv);
    int status = qx::host::kExitOk;
    bool reported = false;
    if (const std::optional<int> answered =
            qx::host::AnswerCommandLine(line, stderr, qx::host::kExitCannotRun)) {
        status = *answered;
    } else {
        options.scriptPath = line.operands.front();
        options.arguments.assign(line.operands.begin() + 1, line.operands.end());
        options.out = &std::cout;
        options.err = &std::cerr;
        options.stopOnSignals = true;
        status = qx::host::RunScriptHost(options);
        reported = status == qx::host::kExitOutputFailed;
    }
    if (!qx::host::CloseStandardStreams("scripthost", reported) && status == qx::host::kExitOk)
        status = qx::host::kExitOutputFailed;
    return status;
}
