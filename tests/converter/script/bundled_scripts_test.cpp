// The bundled scripts, the system's main job: pack-form.js packs the form page into an MHT
// document on standard output, unpack-form.js turns that document back into the page.
#include "quorle_script_support.h"

#include "loopback_http_server.h"

namespace {

using namespace quorle_script_test;
using qx::test::Outcome;
using qx::test::ReadAll;

const std::string kPackScript = QX_SOURCE_DIR "/examples/converter/pack-form.js";
const std::string kUnpackScript = QX_SOURCE_DIR "/examples/converter/unpack-form.js";

class BundledScripts : public QuorleScript {
protected:
    // The form page's own folder outside the drive mapping, as a user's would be.
    fs::path PlainFormDir() const { return dir_ / "forms" / "leave"; }
    void SetUp() override {
        QuorleScript::SetUp();
        fs::create_directories(PlainFormDir().parent_path());
        fs::copy(fs::path(QX_SOURCE_DIR) / "examples" / "converter", PlainFormDir(),
                 fs::copy_options::recursive);
    }
    std::vector<std::pair<std::string, fs::path>> PlainParts() const {
        std::vector<std::pair<std::string, fs::path>> parts;
        for (const auto& [reference, name] : FormReferences())
            parts.emplace_back("file://" + PlainFormDir().string() + "/" + reference, PlainFormDir() / name);
        return parts;
    }
};

TEST_F(BundledScripts, PackThenUnpackGivesThePageBack) {
    const fs::path form = PlainFormDir() / "form.htm";
    const Outcome packed = Run({kPackScript, form.string()});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(packed.err, "");
    const fs::path mht = dir_ / "leave.mht";
    std::ofstream(mht, std::ios::binary) << packed.out;
    EXPECT_EQ(CheckWithPython(mht, form, PlainParts()), "ok\n");
    EXPECT_NE(packed.out.find("\r\nContent-Location: file://" + form.string() + "\r\n"), std::string::npos);
    // The document is exactly the converter's: CR LF lines, ending in the closing boundary.
    EXPECT_EQ(packed.out.find("\n\n"), std::string::npos);
    ASSERT_GT(packed.out.size(), 4u);
    EXPECT_EQ(packed.out.substr(packed.out.size() - 4), "--\r\n");

    const Outcome unpacked = Run({kUnpackScript, mht.string()});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_EQ(unpacked.err, "");
    const std::vector<std::string> temporary = TemporaryReferences(unpacked.out);
    ASSERT_EQ(temporary.size(), FormReferences().size()) << unpacked.out;
    std::string expected = ReadAll(form);
    for (size_t i = 0; i < temporary.size(); ++i) {
        const std::string from = "\"" + FormReferences()[i].first + "\"";
        expected.replace(expected.find(from), from.size(), "\"" + temporary[i] + "\"");
    }
    EXPECT_EQ(unpacked.out, expected);
}

TEST_F(BundledScripts, UnpackIntoAFolderCopiesEveryPartUnderItsName) {
    Program kestrum = RunProgram({QX_BIN_DIR "/regsvr", QX_KESTRUM_COMPONENT});
    ASSERT_EQ(kestrum.status, 0) << kestrum.output;
    const fs::path form = PlainFormDir() / "form.htm";
    const Outcome packed = Run({kPackScript, form.string()});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    const fs::path mht = dir_ / "leave.mht";
    std::ofstream(mht, std::ios::binary) << packed.out;

    // A second part of the same name beside an existing file: both keep their bytes.
    const fs::path out = dir_ / "unpacked";
    fs::create_directories(out);
    std::ofstream(out / "form.css") << "already here";
    const Outcome unpacked = Run({kUnpackScript, mht.string(), out.string()});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_EQ(unpacked.err, "");
    std::string expected = ReadAll(form);
    for (const auto& [reference, name] : FormReferences()) {
        const std::string copy = reference == "form.css" ? "form-1.css" : fs::path(name).filename().string();
        const std::string from = "\"" + reference + "\"";
        expected.replace(expected.find(from), from.size(), "\"" + copy + "\"");
        EXPECT_EQ(ReadAll(out / copy), ReadAll(PlainFormDir() / name)) << copy;
    }
    EXPECT_EQ(unpacked.out, expected);
    EXPECT_EQ(ReadAll(out / "form.css"), "already here");
    EXPECT_TRUE(fs::is_empty(dir_ / "temp")) << "the converter's own temporary files are gone";
}

TEST_F(BundledScripts, PathsAndUrlsOfEveryForm) {
    // A drive path, a file URL of it, and the page served over HTTP.
    qxtest::LoopbackHttpServer server;
    for (const auto& [reference, name] : FormReferences())
        server.Serve("/leave/" + reference, qxtest::Reply(200, ReadAll(PlainFormDir() / name)));
    server.Serve("/leave/form.htm", qxtest::Reply(200, ReadAll(PlainFormDir() / "form.htm")));

    const std::pair<std::string, std::string> cases[] = {
        {"c:\\form\\form.htm", "file:///c:/form/"},
        {"file://c:/form/form.htm", "file:///c:/form/"},
        {server.Url("/leave/form.htm"), server.Url("/leave/")},
    };
    for (const auto& [argument, base] : cases) {
        const Outcome packed = Run({kPackScript, argument});
        ASSERT_EQ(packed.exitCode, 0) << argument << "\n" << packed.err;
        const fs::path mht = dir_ / "case.mht";
        std::ofstream(mht, std::ios::binary) << packed.out;
        std::vector<std::pair<std::string, fs::path>> parts;
        for (const auto& [reference, name] : FormReferences())
            parts.emplace_back(base + reference, PlainFormDir() / name);
        EXPECT_EQ(CheckWithPython(mht, PlainFormDir() / "form.htm", parts), "ok\n") << argument;
    }
}

TEST_F(BundledScripts, KoreanPageKeepsItsAnsiBytesInTheDocument) {
    // "휴가 신청" in code page 949, the system's ANSI code page.
    const std::string page = "<html><body><p>\xC8\xDE\xB0\xA1 \xBD\xC5\xC3\xBB</p>"
                             "<img src=\"images/logo.gif\"></body></html>\n";
    const fs::path form = PlainFormDir() / "korean.htm";
    std::ofstream(form, std::ios::binary) << page;
    const Outcome packed = Run({kPackScript, form.string()});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    const fs::path mht = dir_ / "korean.mht";
    std::ofstream(mht, std::ios::binary) << packed.out;
    EXPECT_EQ(CheckWithPython(mht, form,
                              {{"file://" + PlainFormDir().string() + "/images/logo.gif",
                                PlainFormDir() / "images" / "logo.gif"}}),
              "ok\n");

    // Standard output carries the unpacked page's text as UTF-8.
    const Outcome unpacked = Run({kUnpackScript, mht.string()});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_EQ(unpacked.out.rfind("<html><body><p>\xED\x9C\xB4\xEA\xB0\x80 \xEC\x8B\xA0\xEC\xB2\xAD</p>", 0),
              0u)
        << unpacked.out;
    EXPECT_EQ(TemporaryReferences(unpacked.out).size(), 1u);
}

TEST_F(BundledScripts, WrongArgumentsAndFilesAreReported) {
    struct Case {
        std::string script;
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {kPackScript, {}, 2, "usage: scripthost pack-form.js FORM.htm > FORM.mht\n"},
        {kPackScript, {"a", "b"}, 2, "usage: scripthost pack-form.js FORM.htm > FORM.mht\n"},
        {kPackScript,
         {"form.htm"},
         2,
         "pack-form.js: give the form page as an absolute path or a URL: form.htm\n"},
        {kPackScript,
         {"c:\\form\\missing.htm"},
         1,
         "pack-form.js: cannot read file:///c:/form/missing.htm\n"},
        {kUnpackScript, {}, 2, "usage: scripthost unpack-form.js FORM.mht [FOLDER] > FOLDER/FORM.htm\n"},
        {kUnpackScript,
         {"leave.mht"},
         2,
         "unpack-form.js: give the MHT document as an absolute path or a URL: leave.mht\n"},
        {kUnpackScript,
         {"c:\\form\\form.htm", "out"},
         2,
         "unpack-form.js: give the folder as an absolute path: out\n"},
        {kUnpackScript,
         {"a", "b", "c"},
         2,
         "usage: scripthost unpack-form.js FORM.mht [FOLDER] > FOLDER/FORM.htm\n"},
        {kUnpackScript,
         {"c:\\form\\form.htm"},
         1,
         "unpack-form.js: file:///c:/form/form.htm is not an MHT document\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {c.script};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = Run(args);
        EXPECT_EQ(o.exitCode, c.exitCode) << c.err;
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.out, "");
    }
}

// A user's folders: blanks and Korean in the form's folder and in the one it is unpacked into, a
// blank in the temporary folder. Every part comes back byte-exact, under its own name.
TEST_F(BundledScripts, FoldersWithBlanksAndKoreanCharacters) {
    Program kestrum = RunProgram({QX_BIN_DIR "/regsvr", QX_KESTRUM_COMPONENT});
    ASSERT_EQ(kestrum.status, 0) << kestrum.output;
    const std::string leave = "\xED\x9C\xB4\xEA\xB0\x80 \xEC\x96\x91\xEC\x8B\x9D"; // "휴가 양식"
    const fs::path forms = dir_ / "my forms" / leave;
    fs::create_directories(forms.parent_path());
    fs::copy(PlainFormDir(), forms, fs::copy_options::recursive);
    const fs::path temp = dir_ / "temp dir";
    fs::create_directories(temp);
    setenv("QX_TEMP_DIR", temp.c_str(), 1);

    const Outcome packed = Run({kPackScript, (forms / "form.htm").string()});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    // One canonical URL for the page and its parts alike.
    std::string base = "file://" + forms.string() + "/";
    for (std::size_t at = base.find(' '); at != std::string::npos; at = base.find(' ', at))
        base.replace(at, 1, "%20");
    EXPECT_NE(packed.out.find("\r\nContent-Location: " + base + "form.htm\r\n"), std::string::npos)
        << packed.out;
    const fs::path mht = dir_ / "leave form.mht";
    std::ofstream(mht, std::ios::binary) << packed.out;
    std::vector<std::pair<std::string, fs::path>> parts;
    for (const auto& [reference, name] : FormReferences())
        parts.emplace_back(base + reference, forms / name);
    EXPECT_EQ(CheckWithPython(mht, forms / "form.htm", parts), "ok\n");

    const fs::path out = dir_ / ("unpacked " + leave);
    fs::create_directories(out);
    const Outcome unpacked = Run({kUnpackScript, mht.string(), out.string()});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_EQ(unpacked.err, "");
    std::string expected = ReadAll(forms / "form.htm");
    for (const auto& [reference, name] : FormReferences()) {
        const std::string copy = fs::path(name).filename().string();
        const std::string from = "\"" + reference + "\"";
        expected.replace(expected.find(from), from.size(), "\"" + copy + "\"");
        EXPECT_EQ(ReadAll(out / copy), ReadAll(forms / name)) << copy;
    }
    EXPECT_EQ(unpacked.out, expected);
    EXPECT_TRUE(fs::is_empty(temp)) << "the converter's own temporary files are gone";

    // Without a folder the page points at the converter's files in the temporary folder.
    const Outcome inPlace = Run({kUnpackScript, mht.string()});
    ASSERT_EQ(inPlace.exitCode, 0) << inPlace.err;
    const std::vector<std::string> references = TemporaryReferences(inPlace.out);
    ASSERT_EQ(references.size(), FormReferences().size()) << inPlace.out;
    for (const std::string& reference : references)
        EXPECT_EQ(reference.rfind("file://" + temp.string() + "/mht_", 0), 0u) << reference;
    EXPECT_TRUE(fs::is_empty(temp));
}

// A part that cannot be copied fails the script: the page would point at files that are gone.
TEST_F(BundledScripts, PartThatCannotBeWrittenFailsTheUnpacking) {
    Program kestrum = RunProgram({QX_BIN_DIR "/regsvr", QX_KESTRUM_COMPONENT});
    ASSERT_EQ(kestrum.status, 0) << kestrum.output;
    const Outcome packed = Run({kPackScript, (PlainFormDir() / "form.htm").string()});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    const fs::path mht = dir_ / "leave.mht";
    std::ofstream(mht, std::ios::binary) << packed.out;
    // The folder does not exist, so no copy can be made in it.
    const fs::path out = dir_ / "taken";
    fs::create_directories(out);
    const Outcome unpacked = Run({kUnpackScript, mht.string(), (out / "none").string()});
    EXPECT_EQ(unpacked.exitCode, 1);
    EXPECT_EQ(unpacked.err.rfind("unpack-form.js: cannot write " + (out / "none").string() + "/form", 0), 0u)
        << unpacked.err;
    EXPECT_EQ(unpacked.out, "");
    EXPECT_TRUE(fs::is_empty(dir_ / "temp"));
}

TEST_F(BundledScripts, MhtWithoutPageIsRefused) {
    const fs::path mht = Write("nopage.mht", "MIME-Version: 1.0\r\nContent-Type: Multipart/related;\r\n"
                                             "  boundary=\"b\"\r\n\r\n--b\r\nContent-Type: Image/gif\r\n"
                                             "Content-Transfer-Encoding: base64\r\n\r\nR0lG\r\n--b--\r\n");
    const Outcome o = Run({kUnpackScript, mht.string()});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "unpack-form.js: file://" + mht.string() + " holds no HTML page\n");
    EXPECT_EQ(o.out, "");
}

} // namespace
