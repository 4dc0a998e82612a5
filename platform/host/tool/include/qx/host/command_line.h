// The command line of a console tool: a table of options, the operands after them, and the
// --help and --version every tool answers.
//
// An option is one row: its spellings, the name of its value (none for a flag), a line of help
// and what it does with its value. A value follows as the next argument or after "="
// ("--timeout 5", "--timeout=5"). "--" ends the options; "-" alone is an operand.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::host {

struct Option {
    std::string_view names;     // every spelling, separated by blanks ("--unregister -u /u")
    std::string_view valueName; // "SECONDS" for an option that takes a value; empty for a flag
    std::string_view help;      // its line in --help
    // Takes the value ("" for a flag); returns "" when it is accepted, else what is wrong with it,
    // to follow the option's name ("wants a whole number ...").
    std::function<std::string(std::string_view value)> apply;
};

struct CommandLineSpec {
    std::string_view program; // "scripthost"
    std::string_view usage;   // the usage line ("usage: scripthost [OPTION...] SCRIPT.js [ARG...]")
    std::string_view summary; // what the tool does, for --help (lines ending in "\n")
    std::span<const Option> options;
    std::size_t minOperands = 0;
    // false: the first operand ends the options, and every argument after it is an operand (the
    // script's own arguments); true: options may follow operands (regsvr FILE -u).
    bool optionsAmongOperands = false;
    std::string_view epilogue; // after the options in --help (exit statuses), may be empty
};

enum class CommandLineAction {
    Run,     // go on with `operands`
    Help,    // print `text` to standard output and exit 0
    Version, // print `text` to standard output and exit 0
    Usage,   // a wrong command line: print `text` and exit with the tool's usage status
};

struct ParsedCommandLine {
    CommandLineAction action = CommandLineAction::Run;
    std::vector<std::string> operands;
    std::string text; // the help, the version line, or the problem and the usage line
};

ParsedCommandLine ParseCommandLine(const CommandLineSpec& spec, int argc, const char* const* argv);

// Answers a line that is not to be run: the help or the version on standard output, the problem
// and the usage line on `problems` (tersor keeps every message on standard output). The status to
// exit with (0, or `usageStatus`); nullopt for a line to run.
std::optional<int> AnswerCommandLine(const ParsedCommandLine& line, std::FILE* problems, int usageStatus);

// The whole-number value of an option: digits only, at most `max`; "" when it is one, else
// what is wrong with it (for Option::apply).
std::string ParseWholeNumber(std::string_view value, unsigned long max, unsigned long& number);

// "<program> <version>": the version of the QxForms build the tool belongs to.
std::string VersionLine(std::string_view program);

} // namespace qx::host
