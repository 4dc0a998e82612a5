// pagehost PAGE [--answers FILE.js] [--until-idle | --seconds N] [--save OUT.htm]
#include "page_host.h"

#include <qx/host/command_line.h>
#include <qx/host/standard_streams.h>

#include <csignal>

namespace {

constexpr std::string_view kSummary =
    "Opens a page in the browser control (\"Shell.Explorer\") in a window of its own, runs its scripts\n"
    "and its timers until the page has completed and nothing is left to do, and can save the\n"
    "document as it ends. PAGE is a path or an address: file:, http:, https:, res://MODULE/ID (a\n"
    "resource of a component file) or about:blank; its images and scripts load relative to it.\n"
    "Page time is simulated: timers fire in order at once. A page still loading is waited for in\n"
    "real time, at most as long as the limit; a script that runs away is stopped after 10 seconds\n"
    "and reported as a script error.\n"
    "\n"
    "Message boxes (alert, confirm), dialogs, menus, file dialogs and the print dialog are answered\n"
    "by the answers script when one is given: a JavaScript file whose functions are called with\n"
    "what is shown:\n"
    "  onMessageBox(box)    box.Text, Caption, Type, Buttons, DefaultButton; return a button name\n"
    "                       (\"OK\", \"Cancel\", \"Yes\", ...) or id\n"
    "  onDialog(dialog)     act on the live dialog (SetText, Check, Select, Click, PressDefault, ...)\n"
    "  onMenu(menu)         return the id of the item to choose, 0 for none\n"
    "  onFileDialog(d)      return a path, or null to cancel\n"
    "  onColorDialog(d)     return a color 0xBBGGRR, or null to cancel\n"
    "  onFind(find)         press the find or replace dialog's buttons\n"
    "  onPrint(print)       print.Title, print.Url; return true to print, false to cancel\n"
    "Without a script, or a handler for what is shown, the default button is pressed (OK for\n"
    "printing; cancel for file dialogs and menus) and a line tells it on standard error. What\n"
    "boxes say and script errors are written to standard error.\n"
    "\n"
    "Printing (ExecWB with OLECMDID_PRINT on a browser of the page) writes print-N.htm, its\n"
    "resources in print-N_files, and, where Chromium is installed, print-N.pdf (Letter) into the\n"
    "folder QX_PRINT_DIR, else $XDG_DATA_HOME/qxforms/print (~/.local/share/qxforms/print).\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0; 1 a script error; 2 a wrong command line, a page that cannot be loaded, an\n"
    "answers script that cannot be read or run, or a saved copy that cannot be written; 3 the page\n"
    "did not complete within the limit; 4 standard error could not be written.\n";

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    qx::host::PageHostOptions options;
    const qx::host::Option table[] = {
        {"--answers", "FILE.js",
         "answer message boxes, dialogs, menus and printing with the handlers of FILE.js",
         [&](std::string_view value) {
             options.answersPath = std::string(value);
             return value.empty() ? std::string("wants a file name") : std::string();
         }},
        {"--until-idle", "",
         "run until no message or timer is left (the default; at most 600 seconds of page time)",
         [&](std::string_view) {
             options.seconds.reset();
             return std::string();
         }},
        {"--seconds", "N", "run N seconds of page time (and wait at most N seconds for the page to arrive)",
         [&](std::string_view value) {
             unsigned long seconds = 0;
             std::string wrong = qx::host::ParseWholeNumber(value, 4'000'000, seconds);
             options.seconds = static_cast<unsigned>(seconds);
             return wrong;
         }},
        {"--save", "OUT.htm", "save the document as it ends, in its own charset",
         [&](std::string_view value) {
             options.savePath = value;
             return value.empty() ? std::string("wants a file name") : std::string();
         }},
    };
    const qx::host::CommandLineSpec spec{
        "pagehost",
        "usage: pagehost PAGE [--answers FILE.js] [--until-idle | --seconds N] [--save OUT.htm]",
        kSummary,
        table,
        1,
        true,
        kExitStatuses};
    const qx::host::ParsedCommandLine line = qx::host::ParseCommandLine(spec, argc, argv);
    int status = qx::host::kPageOk;
    if (const std::optional<int> answered =
            qx::host::AnswerCommandLine(line, stderr, qx::host::kPageCannotLoad)) {
        status = *answered;
    } else if (line.operands.size() != 1) {
        std::fprintf(stderr, "pagehost: one page at a time\n%s\n", spec.usage.data());
        status = qx::host::kPageCannotLoad;
    } else {
        options.page = line.operands.front();
        status = qx::host::RunPageHost(options);
    }
    if (!qx::host::CloseStandardStreams("pagehost", false) && status == qx::host::kPageOk)
        status = 4;
    return status;
}
