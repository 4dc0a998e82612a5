// scripthost SCRIPT.js [ARG...]
#include "script_host.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: scripthost SCRIPT.js [ARG...]\n";
        return qx::host::kExitCannotRun;
    }
    qx::host::HostOptions options;
    options.scriptPath = argv[1];
    options.arguments.assign(argv + 2, argv + argc);
    options.out = &std::cout;
    options.err = &std::cerr;
    return qx::host::RunScriptHost(options);
}
