// Pages run through pagehost: each row is a page, and what it says (its message boxes and script
// errors on standard error) is compared byte for byte.
#pragma once

#include "../../host/scripthost_process.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace qx::test {

struct PageRow {
    const char* name;
    std::string page;
    std::string expected; // standard error
    int exitCode = 0;
};

// What an alert shows on standard error.
inline std::string Alert(const std::string& text) {
    return "MessageBox \"Message from webpage\": " + text + " ([OK]) -> OK\n";
}
inline std::string Alerts(std::initializer_list<std::string> texts) {
    std::string all;
    for (const std::string& t : texts)
        all += Alert(t);
    return all;
}

// Every page starts with say(), which shows its arguments joined by blanks.
inline const std::string kSayPrelude =
    "<html><head><script>function say() { alert(Array.prototype.map.call(arguments, "
    "String).join(' ')); }</script></head>";

class PageHostProcess : public ScriptHostProcess {
protected:
    Outcome RunPage(const std::string& page, std::vector<std::string> extra = {}) {
        std::vector<std::string> command{QX_BIN_DIR "/pagehost", Write("page.htm", page).string()};
        command.insert(command.end(), extra.begin(), extra.end());
        qxtest::ChildOptions options;
        options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
        options.streams = qxtest::Streams::Separate;
        const qxtest::ProgramRun run = qxtest::RunProgram(command, options);
        return Outcome{run.status, run.output, run.errors};
    }
    void RunRows(const std::vector<PageRow>& rows) {
        for (const PageRow& row : rows) {
            SCOPED_TRACE(row.name);
            const Outcome o = RunPage(kSayPrelude + row.page);
            EXPECT_EQ(o.exitCode, row.exitCode);
            EXPECT_EQ(o.err, row.expected);
        }
    }
    std::string Url() const { return "file://" + (dir_ / "page.htm").string(); }
};

} // namespace qx::test
