// How the script host reports a script's error on standard error.
#pragma once

#include <qx/script/script_engine.h>

#include <ostream>
#include <string>

namespace qx::host {

// "path(line): runtime error 0x800A0005: message" (or "syntax error ...") on `err`.
void ReportScriptError(std::ostream& err, const std::string& path, const script::ScriptError& error);

} // namespace qx::host
