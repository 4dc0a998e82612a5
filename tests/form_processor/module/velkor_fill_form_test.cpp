// The bundled example page run by pagehost as a user runs it: regsvr registers Quorle, the DHTML
// editing control and Velkor into the test's registry, the page embeds the control, logs its
// events, fills the form's fields at FieldsAvailable and reads them back, and is saved once idle.
#include "../../platform/host/scripthost_process.h"
#include "regsvr_program.h"

#include <regex>
#include <string>

namespace {

using qx::test::ReadAll;

// The text of the element with the id, as the saved page holds it.
std::string ElementText(const std::string& page, const std::string& id) {
    std::smatch found;
    const std::regex element("id=\"?" + id + "\"?[^>]*>([^<]*)<", std::regex::icase);
    return std::regex_search(page, found, element) ? found[1].str() : "(missing)";
}

// A fresh directory for the test's registry and the saved page.
using FillFormTest = qx::test::ScriptHostProcess;

// Off while about one run in two of this page ends with status 1 (a script error counted but not
// shown) and no event logged: the control's <script for event> handlers then hear nothing.
TEST_F(FillFormTest, DISABLED_PageLogsTheEventsAndReadsTheFieldsBack) {
    const qxtest::ProgramRun registered = qxtest::RunRegsvr(
        dir_ / "registry", {QX_QUORLE_COMPONENT, QX_DHTMLED_COMPONENT, QX_VELKOR_COMPONENT});
    ASSERT_EQ(registered.status, 0) << registered.output;

    const std::filesystem::path saved = dir_ / "out.htm";
    qxtest::ChildOptions options;
    options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
    options.streams = qxtest::Streams::Separate;
    const qxtest::ProgramRun run =
        qxtest::RunProgram({QX_BIN_DIR "/pagehost", QX_SOURCE_DIR "/examples/form_processor/fill-form.htm",
                            "--until-idle", "--save", saved.string()},
                           options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");

    const std::string page = ReadAll(saved);
    EXPECT_EQ(
        ElementText(page, "eventLog"),
        "QueryMode InitComplete QueryMode DocumentComplete InitComplete DocumentComplete FieldsAvailable");
    const std::string readBack = ElementText(page, "readBack");
    for (const char* value : {"doctitle=주문서", "customer=김민수", "amount=12,000", "docsetfocus="}) {
        SCOPED_TRACE(value);
        EXPECT_NE(readBack.find(value), std::string::npos) << readBack;
    }
}

} // namespace
