// Quorle.Convert driven by script through scripthost, synchronously: the bundled form page
// packed into an MHT document, unpacked again into temporary files, twice in one process.
#include "quorle_script_support.h"

namespace {

using namespace quorle_script_test;
using qx::test::Outcome;
using qx::test::ReadAll;

// Packs the bundled form as the form control saves it, then unpacks it with a second object and
// packs the unpacked page again with a third, so that the MHT shows what the temporary files
// held while the script ran.
const char kPackAndUnpack[] = R"(
var packer = new ActiveXObject("Quorle.Convert");
packer.sync = true;
packer.htmlData = packer.DownloadURL("file://c:/form/form.htm");
packer.Subject = "Leave request";
var packed = packer.filterOut("file://c:/form/form.htm");
var mht = packer.mhtData;
Section("packed", "" + packed + " " + packer.IsMHTML(mht));
Section("mht", mht);

var unpacker = new ActiveXObject("Quorle.Convert.1");
unpacker.sync = true;
unpacker.mhtData = mht;
var unpacked = unpacker.filterIn();
var html = unpacker.htmlData;
Section("unpacked", "" + unpacked + " " + unpacker.IsMHTML(html));
Section("html", html);

var repacker = new ActiveXObject("Quorle.Convert");
repacker.sync = true;
repacker.htmlData = html;
repacker.filterOut("file://c:/other/page.htm");
Section("repacked", repacker.mhtData);
)";

TEST_F(QuorleScript, BundledFormPacksAsTheGoldenDocument) {
    const Outcome o = RunScript(kPackAndUnpack);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["packed"], "true true");
    const std::string golden = ReadAll(fs::path(QX_SOURCE_DIR) / "tests/converter/quorle/golden/form.mht");
    EXPECT_EQ(WithoutClock(sections["mht"]), WithoutClock(golden));

    const fs::path file = dir_ / "form.mht";
    std::ofstream(file, std::ios::binary) << sections["mht"];
    std::vector<std::pair<std::string, fs::path>> parts;
    for (const auto& [reference, name] : FormReferences())
        parts.emplace_back("file:///c:/form/" + reference, FormDir() / name);
    EXPECT_EQ(CheckWithPython(file, FormDir() / "form.htm", parts), "ok\n");
}

TEST_F(QuorleScript, UnpackedPageNamesTemporaryFilesHoldingTheOriginalBytes) {
    const Outcome o = RunScript(kPackAndUnpack);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["unpacked"], "true false");

    // The page is the original with each reference turned into a temporary file's URL.
    const std::string html = sections["html"];
    const std::vector<std::string> temporary = TemporaryReferences(html);
    ASSERT_EQ(temporary.size(), FormReferences().size()) << html;
    std::string expected = ReadAll(FormDir() / "form.htm");
    for (size_t i = 0; i < temporary.size(); ++i) {
        const std::string from = "\"" + FormReferences()[i].first + "\"";
        const size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), "\"" + temporary[i] + "\"");
        EXPECT_EQ(temporary[i].rfind("file://" + TempDir().string() + "/mht_", 0), 0u) << temporary[i];
    }
    EXPECT_EQ(html, expected);

    // Packed again from those files, every part carries the original bytes.
    const fs::path page = dir_ / "unpacked.htm";
    std::ofstream(page, std::ios::binary) << html;
    const fs::path file = dir_ / "repacked.mht";
    std::ofstream(file, std::ios::binary) << sections["repacked"];
    std::vector<std::pair<std::string, fs::path>> parts;
    for (size_t i = 0; i < temporary.size(); ++i)
        parts.emplace_back(temporary[i], FormDir() / FormReferences()[i].second);
    EXPECT_EQ(CheckWithPython(file, page, parts), "ok\n");

    // The converter's release removed its temporary files when the script ended.
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(QuorleScript, ConvertingAgainInOneProcessWorks) {
    const Outcome o = RunScript(R"(
var c = new ActiveXObject("Quorle.Convert");
c.sync = true;
var results = [];
for (var i = 0; i < 3; i++) {
    c.htmlData = c.DownloadURL("file://c:/form/form.htm");
    results.push(c.filterOut("file://c:/form/form.htm"));
    var mht = c.mhtData;
    results.push(mht.length > 1000);
    var other = new ActiveXObject("Quorle.Convert");
    other.sync = true;
    other.mhtData = mht;
    results.push(other.filterIn());
    results.push(other.htmlData.indexOf("<h1 id=\"doctitle\">Leave request</h1>") > 0);
}
Section("results", results.join(","));
)");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(Sections(o.out)["results"], "true,true,true,true,true,true,true,true,true,true,true,true");
    EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(QuorleScript, EmptyPageGivesNoDocumentAndTextIsNoMht) {
    const Outcome o = RunScript(R"(
var c = new ActiveXObject("Quorle.Convert");
c.sync = true;
c.htmlData = "";
Section("empty", "" + c.filterOut("file://c:/form/form.htm") + " [" + c.mhtData + "]");
Section("missing", "[" + c.DownloadURL("file://c:/form/missing.htm") + "]");
c.mhtData = "just text";
Section("text", "" + c.filterIn() + " " + c.IsMHTML("just text"));
var m = new ActiveXObject("Quorle.MailFormat");
m.To = "someone";
Section("mail", m.addAttachFile("file://c:/form/form.htm") + " [" + m.To + "]");
)");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    auto sections = Sections(o.out);
    EXPECT_EQ(sections["empty"], "true []");
    EXPECT_EQ(sections["missing"], "[]");
    EXPECT_EQ(sections["text"], "true false");
    // MailFormat keeps nothing: its results are the dispatch layer's empty values.
    EXPECT_EQ(sections["mail"], "0 []");
}

TEST_F(QuorleScript, UnregisteredConverterCannotBeCreated) {
    ASSERT_EQ(RunProgram({QX_BIN_DIR "/regsvr", "-u", QX_QUORLE_COMPONENT}).status, 0);
    const Outcome o = RunScript("var c = new ActiveXObject(\"Quorle.Convert\");\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("runtime error"), std::string::npos) << o.err;
}

} // namespace
