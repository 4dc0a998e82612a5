// Main: the tersor program. "tersor infile outfile" writes a compacted copy of a script file.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "compactor/compact_file.h"
#include "compactor/script_files.h"
#include "qx/host/command_line.h"
#include "qx/host/standard_streams.h"

namespace {

enum ExitCode {
    kExitCompacted = 0,
    kExitUsage = 1,
    kExitCannotRead = 2,
    kExitCannotCreate = 3,
    kExitSameFile = 4,
    kExitCannotWrite = 5,
    kExitCannotReport = 6 // the messages could not be written to standard output
};

// Whether both names lead to one file, also through a link or another spelling of the path. An
// output that does not exist yet is never the input.
bool isSameFile(const char* inName, const char* outName) {
    std::error_code error;
    return std::filesystem::equivalent(inName, outName, error) && !error;
}

constexpr std::string_view kSummary =
    "Writes a compacted copy of a JavaScript file: comments removed, white space merged or cut.\n"
    "Arguments after the second are ignored; a file name that begins with \"-\" follows \"--\".\n";

constexpr std::string_view kExitStatuses =
    "Exit status: 0 done; 1 usage; 2 the input cannot be read; 3 the output cannot be created;\n"
    "4 both names are the same file; 5 a write or close failed; 6 the messages could not be\n"
    "written to standard output.\n";

int compactFiles(const char* inName, const char* outName) {
    // The input is opened first: the output is created only once there is something to write.
    compactor::InputFile input;
    if (!input.Open(inName)) {
        std::cout << "There was some problem reading file: " << inName << '\n';
        return kExitCannotRead;
    }
    // Creating the output would empty the input before a single character was read.
    if (isSameFile(inName, outName)) {
        std::cout << "Input and output are the same file: " << outName << '\n';
        return kExitSameFile;
    }
    compactor::OutputFile output;
    if (!output.Create(outName)) {
        std::cout << "There was some problem creating file: " << outName << '\n';
        return kExitCannotCreate;
    }

    const compactor::CompactFileResult result = compactor::compactFile(input, output);
    input.Close();
    if (result == compactor::CompactFileResult::ReadFailed) {
        std::cout << "There was some problem reading file: " << inName << '\n';
        return kExitCannotRead;
    }
    if (result == compactor::CompactFileResult::WriteFailed) {
        std::cout << "There was some problem writing file: " << outName << '\n';
        return kExitCannotWrite;
    }
    std::cout << "Compacting Successful.\n";
    std::cout << "Wrote to file: " << outName << '\n';
    return kExitCompacted;
}

} // namespace

int main(int argc, char* argv[]) {
    // Every message, the usage and the help included, goes to standard output.
    const qx::host::CommandLineSpec spec{"tersor",     "Usage: tersor infile outfile", kSummary, {}, 2, false,
                                         kExitStatuses};
    const qx::host::ParsedCommandLine line = qx::host::ParseCommandLine(spec, argc, argv);
    const std::optional<int> answered = qx::host::AnswerCommandLine(line, stdout, kExitUsage);
    int status = answered ? *answered : compactFiles(line.operands[0].c_str(), line.operands[1].c_str());
    if (!qx::host::CloseStandardStreams("tersor") && status == kExitCompacted)
        status = kExitCannotReport;
    return status;
}
