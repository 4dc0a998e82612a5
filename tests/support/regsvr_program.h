// The built regsvr run against a test's registry directory, as an installer runs it.
#pragma once

#include "child_program.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qxtest {

inline ProgramRun RunRegsvr(const std::filesystem::path& registry, const std::vector<std::string>& args,
                            Streams streams = Streams::Merged) {
    std::vector<std::string> command{QX_BIN_DIR "/regsvr"};
    command.insert(command.end(), args.begin(), args.end());
    ChildOptions options;
    options.environment = {{"QX_REGISTRY_DIR", registry.string()}};
    options.streams = streams;
    return RunProgram(command, options);
}

} // namespace qxtest
