#include "qxwin/command_line.h"

namespace qxwin {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0, n = line.size();
    auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    while (i < n && blank(i))
        ++i;
    if (i >= n)
        return args;
    // The program name: quotes only group, backslashes are kept as they are.
    std::string program;
    bool quoted = false;
    for (; i < n; ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && blank(i))
            break;
        program += c;
    }
    args.push_back(program);
    for (;;) {
        while (i < n && blank(i))
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool inQuotes = false;
        while (i < n) {
            char c = line[i];
            if (c == '\\') {
                size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (inQuotes && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            if (!inQuotes && blank(i))
                break;
            arg += c;
            ++i;
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace qxwin
