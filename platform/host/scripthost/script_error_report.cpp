#include "script_error_report.h"

#include <cstdio>

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

} // namespace

void ReportScriptError(std::ostream& err, const std::string& path, const script::ScriptError& error) {
    err << Place(path, error.line) << ": " << (error.syntax ? "syntax error " : "runtime error ")
        << Hex(error.number) << ": " << error.message << '\n'
        << std::flush;
}

} // namespace qx::host
