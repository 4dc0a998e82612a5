#include "qx/host/command_line.h"

#include <algorithm>

namespace qx::host {
namespace {

constexpr std::string_view kHelp = "--help";
constexpr std::string_view kVersion = "--version";

bool HasSpelling(std::string_view names, std::string_view name) {
    while (!names.empty()) {
        const std::size_t blank = names.find(' ');
        if (names.substr(0, blank) == name)
            return true;
        if (blank == std::string_view::npos)
            break;
        names.remove_prefix(blank + 1);
    }
    return false;
}

const Option* FindOption(const CommandLineSpec& spec, std::string_view name) {
    for (const Option& option : spec.options)
        if (HasSpelling(option.names, name))
            return &option;
    return nullptr;
}

// "-x", "--name" and any spelling of the table (such as "/u"); a lone "-" is an operand.
bool LooksLikeOption(const CommandLineSpec& spec, std::string_view arg) {
    return (arg.size() > 1 && arg[0] == '-') || FindOption(spec, arg) != nullptr;
}

std::string Problem(const CommandLineSpec& spec, const std::string& what) {
    return std::string(spec.program) + ": " + what + "\n" + std::string(spec.usage) + "\n";
}

// "  -u, /u, --unregister FILE" for the help's left column.
std::string Spellings(const Option& option) {
    std::string text;
    std::string_view names = option.names;
    while (!names.empty()) {
        const std::size_t blank = names.find(' ');
        if (!text.empty())
            text += ", ";
        text += names.substr(0, blank);
        if (blank == std::string_view::npos)
            break;
        names.remove_prefix(blank + 1);
    }
    if (!option.valueName.empty())
        text += " " + std::string(option.valueName);
    return text;
}

std::string HelpText(const CommandLineSpec& spec) {
    std::vector<std::pair<std::string, std::string_view>> rows;
    for (const Option& option : spec.options)
        rows.emplace_back(Spellings(option), option.help);
    rows.emplace_back(std::string(kHelp), "show this help and exit");
    rows.emplace_back(std::string(kVersion), "show the version and exit");
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    std::string text = std::string(spec.usage) + "\n" + std::string(spec.summary) + "\nOptions:\n";
    for (const auto& [left, help] : rows)
        text += "  " + left + std::string(width - left.size() + 2, ' ') + std::string(help) + "\n";
    if (!spec.epilogue.empty())
        text += "\n" + std::string(spec.epilogue);
    return text;
}

} // namespace

ParsedCommandLine ParseCommandLine(const CommandLineSpec& spec, int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsDone && arg == "--") {
            optionsDone = true;
            continue;
        }
        if (optionsDone || !LooksLikeOption(spec, arg)) {
            parsed.operands.emplace_back(arg);
            optionsDone = optionsDone || !spec.optionsAmongOperands;
            continue;
        }
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const bool hasValue = equals != std::string_view::npos;
        if (name == kHelp || name == kVersion) {
            if (hasValue)
                return {CommandLineAction::Usage, {}, Problem(spec, std::string(name) + " takes no value")};
            if (name == kHelp)
                return {CommandLineAction::Help, {}, HelpText(spec)};
            return {CommandLineAction::Version, {}, VersionLine(spec.program) + "\n"};
        }
        const Option* option = FindOption(spec, name);
        if (option == nullptr)
            return {CommandLineAction::Usage, {}, Problem(spec, "unknown option " + std::string(name))};
        std::string_view value;
        if (option->valueName.empty()) {
            if (hasValue)
                return {CommandLineAction::Usage, {}, Problem(spec, std::string(name) + " takes no value")};
        } else if (hasValue) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return {
                CommandLineAction::Usage,
                {},
                Problem(spec, std::string(name) + " needs a value (" + std::string(option->valueName) + ")")};
        }
        if (option->apply) {
            const std::string wrong = option->apply(value);
            if (!wrong.empty())
                return {CommandLineAction::Usage, {}, Problem(spec, std::string(name) + " " + wrong)};
        }
    }
    if (parsed.operands.size() < spec.minOperands)
        return {CommandLineAction::Usage, {}, std::string(spec.usage) + "\n"};
    return parsed;
}

std::optional<int> AnswerCommandLine(const ParsedCommandLine& line, std::FILE* problems, int usageStatus) {
    switch (line.action) {
    case CommandLineAction::Run:
        return std::nullopt;
    case CommandLineAction::Help:
    case CommandLineAction::Version:
        std::fputs(line.text.c_str(), stdout);
        return 0;
    case CommandLineAction::Usage:
        std::fputs(line.text.c_str(), problems);
        return usageStatus;
    }
    return usageStatus;
}

std::string ParseWholeNumber(std::string_view value, unsigned long max, unsigned long& number) {
    const std::string wrong =
        "wants a whole number from 0 to " + std::to_string(max) + ", not \"" + std::string(value) + "\"";
    if (value.empty() || value.size() > 19)
        return wrong;
    unsigned long long n = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return wrong;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n > max)
        return wrong;
    number = static_cast<unsigned long>(n);
    return {};
}

std::string VersionLine(std::string_view program) {
    return std::string(program) + " " QX_VERSION;
}

} // namespace qx::host
