// Fuzz target of the tools' option parser: any arguments (the input cut at NUL bytes) give one of
// the four actions; a wrong line always says what is wrong, operands are arguments as given, and
// options never take a value they refuse.
#include <qx/host/command_line.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args{"tool"};
    std::string current;
    for (size_t i = 0; i < size && args.size() < 64; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    args.push_back(current);
    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());

    unsigned long seconds = 0;
    bool flag = false;
    const qx::host::Option table[] = {
        {"--timeout", "SECONDS", "stop after SECONDS",
         [&](std::string_view value) { return qx::host::ParseWholeNumber(value, 2'147'483, seconds); }},
        {"-u /u --unregister", "", "the other way",
         [&](std::string_view) {
             flag = true;
             return std::string();
         }},
    };
    for (bool among : {false, true}) {
        const qx::host::CommandLineSpec spec{"tool", "usage: tool [OPTION...] FILE...", "", table, 1, among,
                                             ""};
        const qx::host::ParsedCommandLine line =
            qx::host::ParseCommandLine(spec, static_cast<int>(argv.size()), argv.data());
        if (seconds > 2'147'483)
            std::abort();
        switch (line.action) {
        case qx::host::CommandLineAction::Run:
            if (line.operands.empty() || line.operands.size() >= args.size())
                std::abort();
            break;
        case qx::host::CommandLineAction::Usage:
        case qx::host::CommandLineAction::Help:
        case qx::host::CommandLineAction::Version:
            if (line.text.empty() || !line.operands.empty())
                std::abort();
            break;
        }
    }
    return 0;
}
