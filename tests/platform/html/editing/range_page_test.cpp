// Selection and ranges in a page run by pagehost: what the form control and its print step do to a
// document, saved and compared byte for byte.
#include "../../host/scripthost_process.h"

#include <string>

namespace {

class RangePage : public qx::test::ScriptHostProcess {};

TEST_F(RangePage, CaretPasteAndFocusAsTheFormControlDoes) {
    const std::string page =
        "<body><table id=t><tr><td id=a free>name</td><td id=b></td></tr></table><script>"
        // the caret at the start of the body; the current cell comes from it
        "var r = document.body.createTextRange(); r.collapse(true); r.select();"
        "var cell = document.selection.createRange().duplicate().parentElement();"
        // spaces typed at the caret, then the caret into the empty cell and text pasted there
        "document.selection.createRange().pasteHTML('&nbsp&nbsp');"
        "r = document.body.createTextRange(); r.moveToElementText(b); r.collapse(false); r.select();"
        "document.selection.createRange().pasteHTML('<FONT memo=1>x</FONT>');"
        // a cell's content cleared through its range; the print argument pasted at the end
        "r = document.body.createTextRange(); r.moveToElementText(a); r.pasteHTML('');"
        "r = document.body.createTextRange(); r.collapse(false); r.select();"
        "document.selection.createRange().pasteHTML('<P>' + cell.id + ' ' + document.selection.type + "
        "'</P>');"
        "document.body.removeChild(document.scripts[0]);"
        "</script></body>";
    const std::string saved = (dir_ / "out.htm").string();
    qxtest::ChildOptions options;
    options.environment = {{"QX_REGISTRY_DIR", (dir_ / "registry").string()}};
    options.streams = qxtest::Streams::Separate;
    const qxtest::ProgramRun run = qxtest::RunProgram(
        {QX_BIN_DIR "/pagehost", Write("page.htm", page).string(), "--save", saved}, options);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(
        qx::test::ReadAll(saved),
        "<HTML><HEAD></HEAD><BODY><TABLE id=t><TBODY><TR><TD id=a free></TD><TD id=b><FONT memo=1>x</FONT>"
        "</TD></TR></TBODY></TABLE><P>a None</P></BODY></HTML>");
}

} // namespace
