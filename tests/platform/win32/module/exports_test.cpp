#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// The dynamic symbols a file defines, as binutils' nm reads them.
std::set<std::string> DefinedDynamicSymbols(const std::string& file) {
    std::set<std::string> names;
    std::string command = "nm -D --defined-only --format=posix '" + file + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return names;
    }
    char line[1024];
    while (std::fgets(line, sizeof(line), pipe) != nullptr) {
        std::string text(line);
        names.insert(text.substr(0, text.find(' ')));
    }
    ::pclose(pipe);
    return names;
}

TEST(Exports, TestModulesExportOnlyTheirEntryPointsAndTheAnchor) {
    const std::set<std::string> expected = {"DllMain", "QxModuleAnchor", "TestModuleCounterNext",
                                            "TestModuleInstance"};
    for (const char* file : {QX_TEST_MODULE_A, QX_TEST_MODULE_B}) {
        auto names = DefinedDynamicSymbols(file);
        // The linker's own section markers of the initialisation code are not ours to hide.
        names.erase("_init");
        names.erase("_fini");
        EXPECT_EQ(names, expected) << file;
    }
}

} // namespace
