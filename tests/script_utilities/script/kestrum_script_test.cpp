// Kestrum's classes from page script: regsvr registers the component file, scripthost creates
// its classes by ProgID through the registry and calls every method by name.
#include "../../platform/host/scripthost_process.h"
#include "regsvr_program.h"

#include <qx/com/bstr.h>
#include <qx/win32/registry.h>
#include <winreg.h>

#include <random>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using qx::test::Outcome;

class KestrumScript : public qx::test::ScriptHostProcess {
protected:
    void SetUp() override {
        ScriptHostProcess::SetUp();
        qx::registry::SetRootForTesting(dir_ / "registry");
        const Outcome reg = Regsvr({QX_KESTRUM_COMPONENT});
        ASSERT_EQ(reg.exitCode, 0) << reg.out << reg.err;
        ASSERT_EQ(reg.out, std::string(QX_KESTRUM_COMPONENT) + ": DllRegisterServer succeeded\n");
        fs::create_directories(dir_ / "drives" / "c");
        // The child scripthost inherits these.
        setenv("QX_DRIVE_ROOT", (dir_ / "drives").c_str(), 1);
        setenv("QX_TEMP_DIR", (dir_ / "temp").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("QX_DRIVE_ROOT");
        unsetenv("QX_TEMP_DIR");
        qx::registry::SetRootForTesting(dir_ / "unused");
        ScriptHostProcess::TearDown();
    }
    static void Set(HKEY root, const std::u16string& key, const std::u16string& value) {
        ASSERT_EQ(RegSetValueW(root, key.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
                  ERROR_SUCCESS);
    }
    // Runs build/bin/regsvr on the test's registry, as an installer would.
    Outcome Regsvr(const std::vector<std::string>& args) {
        const qxtest::ProgramRun run = qxtest::RunRegsvr(dir_ / "registry", args, qxtest::Streams::Separate);
        return Outcome{run.status, run.output, run.errors};
    }
    fs::path Drive(const std::string& name) const { return dir_ / "drives" / "c" / name; }
    Outcome RunScript(const std::string& text) {
        const fs::path script = Write("test.js", text);
        qx::registry::SetRootForTesting(dir_ / "unused"); // the child alone uses the registry now
        Outcome o = Run({script.string()});
        qx::registry::SetRootForTesting(dir_ / "registry");
        return o;
    }
};

TEST_F(KestrumScript, CalendarConvertsEdgeCases) {
    const Outcome o = RunScript(R"(
var c = new ActiveXObject("Kestrum.Calendar");
WScript.Echo(c.resultYear, c.resultMonth, c.resultDay);
function show(y, m, d, lunar) { c.Convert(y, m, d, lunar); WScript.Echo(c.resultYear, c.resultMonth, c.resultDay); }
show(1921, 2, 8, false); show(1921, 1, 1, true); show(1921, 2, 7, false);
show(1920, 5, 5, false); show(2038, 1, 1, true); show(2000, 0, 1, false); show(2000, 1, 0, true);
show(2001, 2, 29, false); show(2000, 2, 29, false); show(2000, 1, 31, true); show(2000, 13, 1, false);
show(-5, -1, -1, true); show(1999, 12, 31, false); show(1999, 11, 24, true);
show(1988, 2, 18, false); show(1997, 2, 8, false);
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "0 0 0\n1921 1 1\n1921 2 8\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n2000 1 25\n0 0 0\n"
                     "0 0 0\n0 0 0\n1999 11 24\n1999 12 31\n1988 1 1\n1997 1 1\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(KestrumScript, MiscFuncHelpers) {
    std::ofstream(Drive("a.txt")) << "12345";
    std::ofstream(Drive("a-1.txt")) << "x";
    const Outcome o = RunScript(R"(
var m = new ActiveXObject("Kestrum.MiscFunc");
WScript.Echo(m.ExtractFileName("http://host/dir/a.gif?x=1"), m.ExtractFileName("c:\\dir\\"));
WScript.Echo("[" + m.ExtractFileName("") + "]");
WScript.Echo(m.EncodeBase64(""), m.EncodeBase64("abc"), m.DecodeBase64(m.EncodeBase64("abc")), m.DecodeBase64("YWJj"));
WScript.Echo(m.DecodeBase64(m.EncodeBase64("\uD55C\uAE00")) == "\uD55C\uAE00");
WScript.Echo(m.GetUniqueFileName("c:\\a", ".txt"), m.GetUniqueFileName("c:\\b", ".txt"));
WScript.Echo(m.FileExists("c:\\a.txt"), m.FileExists("c:\\missing.txt"));
WScript.Echo(m.GetFileSize("c:\\a.txt"), typeof m.GetFileSize("c:\\missing.txt"));
var t1 = m.GetTemporaryFileName(), t2 = m.GetTemporaryFileName();
WScript.Echo(t1 != t2, /^mht_[0-9A-F]{1,4}\.tmp$/.test(t1), /^mht_[0-9A-F]{1,4}\.tmp$/.test(t2));
WScript.Echo(t1); WScript.Echo(t2);
var g1 = m.GetGUID(), g2 = m.GetGUID();
WScript.Echo(g1 != g2, /^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$/.test(g1));
m.DebugTrace("kestrum trace line");
WScript.Echo(m.Base64ToLocalFile("YWJj", "c:\\abc.txt"), m.Base64ToLocalFile("YWJj", "c:\\no\\such\\x.txt"));
WScript.Echo("[" + m.DownloadToBase64("c:\\missing.bin") + "]");
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    std::istringstream lines(o.out);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);)
        got.push_back(line);
    ASSERT_EQ(got.size(), 13u) << o.out;
    EXPECT_EQ(got[0], "a.gif dir");
    EXPECT_EQ(got[1], "[]");
    EXPECT_EQ(got[2], "AA== YWJjAA== abc abc");
    EXPECT_EQ(got[3], "true");
    EXPECT_EQ(got[4], "c:\\a-2.txt c:\\b.txt");
    EXPECT_EQ(got[5], "true false");
    EXPECT_EQ(got[6], "5 number");
    EXPECT_EQ(got[7], "true true true");
    EXPECT_TRUE(fs::exists(dir_ / "temp" / got[8])) << got[8];
    EXPECT_TRUE(fs::exists(dir_ / "temp" / got[9])) << got[9];
    EXPECT_EQ(got[10], "true true");
    EXPECT_EQ(got[11], "3 -1");
    EXPECT_EQ(got[12], "[]");
    EXPECT_EQ(qx::test::ReadAll(Drive("abc.txt")), "abc");
    EXPECT_FALSE(fs::exists(Drive("a-2.txt")));
    // The debugger output and the string array's message box both reach standard error.
    EXPECT_NE(o.err.find("kestrum trace line"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("지정한 인덱스가 범위를 초과했습니다."), std::string::npos) << o.err;
}

TEST_F(KestrumScript, FilesOfEverySizeRoundTripThroughBase64) {
    std::mt19937 random(5);
    std::vector<std::string> contents;
    for (int size = 0; size <= 300; ++size) {
        std::string bytes(static_cast<size_t>(size), '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        std::ofstream(Drive("in" + std::to_string(size) + ".bin"), std::ios::binary) << bytes;
        contents.push_back(bytes);
    }
    std::string big(3 * 1024 * 1024 + 1, '\0');
    for (char& b : big)
        b = static_cast<char>(random());
    std::ofstream(Drive("big.bin"), std::ios::binary) << big;
    const Outcome o = RunScript(R"(
var m = new ActiveXObject("Kestrum.MiscFunc");
var bad = 0;
for (var i = 0; i <= 300; i++) {
    var text = m.DownloadToBase64("c:\\in" + i + ".bin");
    if (i == 0) { if (text != "") bad++; continue; }
    if (m.Base64ToLocalFile(text, "c:\\out" + i + ".bin") != i || m.GetFileSize("c:\\out" + i + ".bin") != i) bad++;
}
WScript.Echo("bad", bad);
WScript.Echo(m.Base64ToLocalFile(m.DownloadToBase64("c:\\big.bin"), "c:\\bigcopy.bin"));
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "bad 0\n3145729\n");
    for (int size = 1; size <= 300; ++size)
        EXPECT_EQ(qx::test::ReadAll(Drive("out" + std::to_string(size) + ".bin")), contents[size]) << size;
    EXPECT_TRUE(qx::test::ReadAll(Drive("bigcopy.bin")) == big);
}

TEST_F(KestrumScript, RegScriptListsReadsAndDeletes) {
    for (const char16_t* key : {u"Software\\KestrumTest\\Beta", u"Software\\KestrumTest\\alpha",
                                u"Software\\KestrumTest\\Gamma\\Deep"})
        Set(HKEY_LOCAL_MACHINE, key, u"");
    Set(HKEY_CURRENT_USER, u"Software\\App", u"app value \uD55C\uAE00");
    Set(HKEY_CURRENT_USER, u"Software\\App\\Sub\\Leaf", u"leaf");
    const Outcome o = RunScript(R"(
var r = new ActiveXObject("Kestrum.RegScript");
var l = r.GetEnumListKey("Software\\KestrumTest");
WScript.Echo(l.Count, l.Item(0), l.Item(1), l.Item(2));
try { l.Item(l.Count); } catch (e) { WScript.Echo("past the end", e.number); }
try { l.Item(-1); } catch (e) { WScript.Echo("below zero", e.number); }
r.Close();
WScript.Echo("closed", r.GetEnumListKey("Software\\KestrumTest").Count);
r.OpenKey(1, "Software");
var apps = r.GetEnumListKey("App");
WScript.Echo(apps.Count, apps.Item(0));
WScript.Echo("[" + r.ReadValue(1, "NoSuchKey") + "]", r.ReadValue(1, "Software\\App"));
r.OpenKey(5, "Software");
WScript.Echo("bad hive", r.GetEnumListKey("").Count, "[" + r.ReadValue(-1, "Software\\App") + "]");
r.DeleteRegKey(1, "");
r.DeleteRegKey(7, "Software\\App");
WScript.Echo(r.ReadValue(1, "Software\\App\\Sub\\Leaf"));
r.DeleteRegKey(1, "Software\\App");
WScript.Echo("[" + r.ReadValue(1, "Software\\App\\Sub\\Leaf") + "]", "[" + r.ReadValue(1, "Software\\App") + "]");
r.OpenKey(2, "Software");
WScript.Echo(r.GetEnumListKey("KestrumTest\\Gamma").Item(0));
)");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "3 alpha Beta Gamma\npast the end -2147024809\nbelow zero -2147024809\nclosed 0\n1 Sub\n"
                     "[] app value \xED\x95\x9C\xEA\xB8\x80\nbad hive 0 []\nleaf\n[] []\nDeep\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(KestrumScript, OnlyTheRegisteredClassesAreCreatedAndUnregisteringEndsThat) {
    const std::string script = R"(
var names = ["Kestrum.Calendar", "Kestrum.Calendar.1", "Kestrum.MiscFunc.1", "Kestrum.RegScript.1",
             "Kestrum.RegEnumList", "Kestrum.RegEnumList.1", "Kestrum.ContactIO"];
for (var i = 0; i < names.length; i++) {
    try { new ActiveXObject(names[i]); WScript.Echo(names[i], "created"); }
    catch (e) { WScript.Echo(names[i], "refused"); }
}
var r = new ActiveXObject("Kestrum.RegScript");
r.OpenKey(0, "CLSID");
var l = r.GetEnumListKey("");
var ids = [];
for (var i = 0; i < l.Count; i++) ids.push(l.Item(i));
var text = ids.join(" ");
WScript.Echo(text.indexOf("{B8E6A1B2-67A4-4CA4-8098-7C4D9F7E05C2}") >= 0, text.indexOf("{D2BCC8B5-4187-48DA-AC06-073CE127304F}") >= 0,
             text.indexOf("{E2AC1D16-0E2C-4C15-88F0-2F085EC7E6A0}") >= 0, text.indexOf("{1E7AB8C8-6B41-4348-B2DE-59EC0AB810D7}") < 0);
WScript.Echo(r.ReadValue(0, "CLSID\\{D2BCC8B5-4187-48DA-AC06-073CE127304F}\\InprocServer32") == ")" +
                               std::string(QX_KESTRUM_COMPONENT) + R"(");
)";
    Outcome o = RunScript(script);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out,
              "Kestrum.Calendar created\nKestrum.Calendar.1 created\nKestrum.MiscFunc.1 created\n"
              "Kestrum.RegScript.1 created\nKestrum.RegEnumList refused\nKestrum.RegEnumList.1 refused\n"
              "Kestrum.ContactIO created\ntrue true true true\ntrue\n");

    const Outcome unreg = Regsvr({"-u", QX_KESTRUM_COMPONENT});
    ASSERT_EQ(unreg.exitCode, 0) << unreg.out << unreg.err;
    o = RunScript(R"(
try { new ActiveXObject("Kestrum.Calendar"); WScript.Echo("created"); } catch (e) { WScript.Echo("refused"); }
)");
    EXPECT_EQ(o.out, "refused\n");
}

} // namespace
