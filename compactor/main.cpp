// Main: the tersor program. "tersor infile outfile" writes a compacted copy of a script file.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "compactor/compact_file.h"
#include "compactor/script_files.h"

namespace {

enum ExitCode {
    kExitCompacted = 0,
    kExitUsage = 1,
    kExitCannotRead = 2,
    kExitCannotCreate = 3,
    kExitSameFile = 4,
    kExitCannotWrite = 5
};

// Whether both names lead to one file, also through a link or another spelling of the path. An
// output that does not exist yet is never the input.
bool isSameFile(const char* inName, const char* outName) {
    std::error_code error;
    return std::filesystem::equivalent(inName, outName, error) && !error;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::cout << "Usage: tersor infile outfile\n";
        return kExitUsage;
    }
    const char* inName = argv[1];
    const char* outName = argv[2];

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
