// pagehost PAGE [--until-idle | --seconds N] [--save OUT.htm]
#include "page_host.h"

#include <qx/host/command_line.h>
#include <qx/host/standard_streams.h>

#include <csignal>

namespace {

constexpr std::string_view kSummary =
    "Opens a page (a path or a URL), runs its scripts and its timers until nothing is left to do,\n"
    "and can save the document as it ends. Page time is simulated: timers fire in order at once.\n"
    "Message boxes and script errors are written to standard error.\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0; 1 a script error; 2 a wrong command line, a page that cannot be loaded, or a\n"
    "saved copy that cannot be written; 4 standard error could not be written.\n";

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    qx::host::PageHostOptions options;
    const qx::host::Option table[] = {
        {"--until-idle", "",
         "run until no message or timer is left (the default; at most 600 seconds of page time)",
         [&](std::string_view) {
             options.seconds.reset();
             return std::string();
         }},
        {"--seconds", "N", "run N seconds of page time",
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
    const qx::host::CommandLineSpec spec{"pagehost",
                                         "usage: pagehost PAGE [--until-idle | --seconds N] [--save OUT.htm]",
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
