// Quorle from script: regsvr registers the component file into the test's private registry,
// scripthost runs scripts against it with the bundled form page on drive c: and a private
// temporary folder; a script's sections are read back byte-exact, and Python's email package
// checks MHT files.
#pragma once

#include "../../platform/host/scripthost_process.h"
#include "child_program.h"
#include "regsvr_program.h"

#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace quorle_script_test {

namespace fs = std::filesystem;

// The five references of the bundled form page in the order they stand in it, with the files
// they name.
inline const std::vector<std::pair<std::string, std::string>>& FormReferences() {
    static const std::vector<std::pair<std::string, std::string>> references = {
        {"form.css", "form.css"},
        {"form.js", "form.js"},
        {"images/logo.gif", "images/logo.gif"},
        {"images/cell.gif", "images/cell.gif"},
        {"images/stamp.png", "images/stamp.png"},
    };
    return references;
}

// The file:// references to temporary files, in the order they stand in the HTML.
inline std::vector<std::string> TemporaryReferences(const std::string& html) {
    static const std::regex temporary("\"(file://[^\"]*/mht_[0-9A-Fa-f]+\\.tmp)\"");
    std::vector<std::string> found;
    for (std::sregex_iterator it(html.begin(), html.end(), temporary), end; it != end; ++it)
        found.push_back((*it)[1]);
    return found;
}

// The MHT text with its clock-made parts (the boundary and the date) put to fixed words.
inline std::string WithoutClock(const std::string& mht) {
    const std::string fixed = std::regex_replace(mht, std::regex("Boundary-=_[A-Za-z]+"), "Boundary-=_B");
    return std::regex_replace(fixed, std::regex("\r\nDate: [^\r]*\r\n"), "\r\nDate: D\r\n");
}

class QuorleScript : public qx::test::ScriptHostProcess {
protected:
    void SetUp() override {
        ScriptHostProcess::SetUp();
        fs::create_directories(dir_ / "drives" / "c");
        fs::create_directories(dir_ / "temp");
        fs::copy(fs::path(QX_SOURCE_DIR) / "examples" / "converter", FormDir(), fs::copy_options::recursive);
        // The children inherit these.
        setenv("QX_DRIVE_ROOT", (dir_ / "drives").c_str(), 1);
        setenv("QX_TEMP_DIR", (dir_ / "temp").c_str(), 1);
        const Program regsvr = qxtest::RunRegsvr(dir_ / "registry", {QX_QUORLE_COMPONENT});
        ASSERT_EQ(regsvr.status, 0) << regsvr.output;
    }
    void TearDown() override {
        unsetenv("QX_DRIVE_ROOT");
        unsetenv("QX_TEMP_DIR");
        ScriptHostProcess::TearDown();
    }

    using Program = qxtest::ProgramRun;
    // Runs a program against the test's registry with its standard output and error captured.
    Program RunProgram(const std::vector<std::string>& args) {
        return qxtest::RunProgram(args, {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}});
    }

    // Runs script text with scripthost; the script's Section(name, text) calls come back by name.
    qx::test::Outcome RunScript(const std::string& text) {
        const fs::path script = Write("test.js", kSectionFunction + text);
        return Run({script.string()});
    }

    // "name length\n", the text, "\n" for every Section call of the script.
    static std::map<std::string, std::string> Sections(const std::string& out) {
        std::map<std::string, std::string> sections;
        size_t at = 0;
        while (at < out.size()) {
            const size_t space = out.find(' ', at);
            const size_t eol = out.find('\n', at);
            if (space == std::string::npos || eol == std::string::npos || space > eol)
                break;
            const std::string name = out.substr(at, space - at);
            const size_t length = std::stoul(out.substr(space + 1, eol - space - 1));
            if (eol + 1 + length + 1 > out.size())
                break;
            sections[name] = out.substr(eol + 1, length);
            at = eol + 1 + length + 1;
        }
        return sections;
    }

    // check_mht.py on an MHT file, the page it should hold and its parts (location=file).
    static std::string CheckWithPython(const fs::path& mht, const fs::path& html,
                                       const std::vector<std::pair<std::string, fs::path>>& parts) {
        std::string command = "python3 " QX_SOURCE_DIR "/tests/converter/quorle/check_mht.py '" +
                              mht.string() + "' '" + html.string() + "'";
        for (const auto& [location, file] : parts)
            command += " '" + location + "=" + file.string() + "'";
        command += " 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return "cannot run python3";
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        pclose(pipe);
        return output;
    }

    fs::path FormDir() const { return dir_ / "drives" / "c" / "form"; }
    fs::path TempDir() const { return dir_ / "temp"; }
    size_t TempFileCount() const {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(TempDir()))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

    static inline const std::string kSectionFunction =
        "function Section(name, text) { WScript.Echo(name + \" \" + text.length); WScript.Echo(text); }\n";
};

} // namespace quorle_script_test
