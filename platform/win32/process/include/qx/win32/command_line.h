// A command line as CreateProcess reads it: the first word (the program) is taken up to the next
// blank or tab outside double quotes, the quotes only grouping and backslashes kept as they are;
// the arguments after it follow the rules of qx::win32::SplitCommandLine (blanks and tabs separate,
// double quotes group, 2n backslashes before a quote give n backslashes and the quote acts, 2n+1
// give n and a literal quote, "" inside quotes is a literal quote).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx::win32 {

// The program name first, then its arguments; empty for a blank line.
std::vector<std::string> SplitProcessCommandLine(std::string_view commandLine);

} // namespace qx::win32
