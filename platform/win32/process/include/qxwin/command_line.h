// The Windows rules for splitting a command line into arguments: blanks and tabs separate;
// double quotes group; 2n backslashes before a quote give n backslashes and the quote acts,
// 2n+1 give n and a literal quote; backslashes elsewhere are literal; "" inside quotes is a
// literal quote. The first word (the program) is taken up to the next blank or closing quote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qxwin {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);

} // namespace qxwin
