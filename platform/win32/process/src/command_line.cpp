#include "qx/win32/command_line.h"

#include "qx/win32/shell_opener.h"

namespace qx::win32 {

std::vector<std::string> SplitProcessCommandLine(std::string_view line) {
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto blank = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    while (i < n && blank(i))
        ++i;
    if (i >= n)
        return {};
    std::string program;
    bool quoted = false;
    for (; i < n; ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && blank(i))
            break;
        program += c;
    }
    std::vector<std::string> args{program};
    for (std::string& argument : SplitCommandLine(line.substr(i)))
        args.push_back(std::move(argument));
    return args;
}

} // namespace qx::win32
