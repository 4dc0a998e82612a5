// ActiveXObject through the registry: the ProgID's CLSID, its InprocServer32 module loaded by
// the module loader, DllGetClassObject and the class factory.
#include "script_host.h"
#include "scripthost_process.h"

#include <qx/com/bstr.h>
#include <qx/win32/registry.h>
#include <winmodule.h>
#include <winreg.h>

#include <sstream>

namespace qx::test {
namespace {

namespace fs = std::filesystem;

class ScriptHostRegistry : public ScriptHostProcess {
protected:
    void SetUp() override {
        ScriptHostProcess::SetUp();
        qx::registry::SetRootForTesting(dir_ / "registry");
        Set(u"Test.Thing\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C60}");
        Set(u"CLSID\\{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C60}\\InprocServer32",
            com::Utf8ToUtf16(QX_TEST_THING_SERVER));
        Set(u"Broken.Thing\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C99}");
        // Classes whose files fail in each way a file can.
        Set(u"Missing.File\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA1}");
        Set(u"CLSID\\{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA1}\\InprocServer32",
            com::Utf8ToUtf16((dir_ / "libgone.so").string()));
        Set(u"Not.Component\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA2}");
        Set(u"CLSID\\{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA2}\\InprocServer32",
            u"" QX_BIN_DIR "/libqxplatform.so");
        Set(u"Other.Class\\CLSID", u"{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA3}");
        Set(u"CLSID\\{5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA3}\\InprocServer32",
            com::Utf8ToUtf16(QX_TEST_THING_SERVER));
    }
    static void Set(const std::u16string& key, const std::u16string& value) {
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(char16_t))),
                  ERROR_SUCCESS);
    }
};

const char kScenario[] = R"(
var t = new ActiveXObject("Test.Thing");
t.Name = "registered";
WScript.Echo(t.Name, t.Add(2), t.Items.Count);
function t_OnDone(code) { WScript.Echo("event", code); }
WScript.ConnectObject(t, "t_");
t.Fire(3);
try { new ActiveXObject("Broken.Thing"); } catch (e) { WScript.Echo("broken", e.number); }
)";

TEST_F(ScriptHostRegistry, ProgramCreatesRegisteredClass) {
    const fs::path script = Write("registered.js", kScenario);
    const Outcome o = Run({script.string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "registered 12 3\nevent 3\nbroken -2147221164\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(ScriptHostRegistry, EveryReferenceReturnsInTheModule) {
    const fs::path script = Write("registered.js", kScenario);
    std::ostringstream out, err;
    host::HostOptions options;
    options.scriptPath = script.string();
    options.out = &out;
    options.err = &err;
    ASSERT_EQ(host::RunScriptHost(options), 0) << err.str();
    EXPECT_EQ(out.str(), "registered 12 3\nevent 3\nbroken -2147221164\n");
    const std::u16string path = com::Utf8ToUtf16(QX_TEST_THING_SERVER);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    auto live = reinterpret_cast<int (*)()>(GetProcAddress(module, "TestThingLiveObjects"));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live(), 0);
    FreeLibrary(module);
}

// Every way creation fails names the class and the cause, and keeps the HRESULT.
TEST_F(ScriptHostRegistry, CreationFailuresNameTheClassAndTheCause) {
    const fs::path script = Write("fail.js", R"(
var names = ["Nobody.Registered", "Broken.Thing", "Missing.File", "Not.Component", "Other.Class"];
for (var i = 0; i < names.length; i++) {
  try { new ActiveXObject(names[i]); } catch (e) { WScript.Echo((e.number >>> 0).toString(16), e.description); }
  try { WScript.CreateObject(names[i]); } catch (e) { WScript.Echo((e.number >>> 0).toString(16)); }
}
)");
    const std::string start = " Automation server can't create object \"";
    const std::string expected[][2] = {
        {"800401f3", "Nobody.Registered\": the ProgID is not registered"},
        {"80040154", "Broken.Thing\": its class {5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4C99} is not registered"},
        {"800401f8", "Missing.File\": the file of its class {5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA1}, \"" +
                         (dir_ / "libgone.so").string() + "\", is missing or cannot be loaded"},
        {"800401f9",
         "Not.Component\": the file of its class {5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA2}, \"" QX_BIN_DIR
         "/libqxplatform.so\", is no component file"},
        {"80040111", "Other.Class\": the file \"" QX_TEST_THING_SERVER
                     "\" does not hold its class {5E0C1A2B-3D4F-4A6B-8C9D-0E1F2A3B4CA3}"},
    };
    std::string lines;
    for (const auto& [number, text] : expected)
        lines += number + start + text + "\n" + number + "\n";
    const Outcome o = Run({script.string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, lines);
}

// WScript.CreateObject connects the events to the prefix's functions; GetObject makes a new
// object for an empty path and answers nothing else; WScript.Shell's working directory.
TEST_F(ScriptHostRegistry, CreateObjectGetObjectAndTheShell) {
    fs::create_directories(dir_ / "work dir");
    const fs::path script = Write("objects.js", R"(
function t_OnDone(code) { WScript.Echo("event", code); }
var t = WScript.CreateObject("Test.Thing", "t_");
t.Fire(4);
var g = WScript.GetObject("", "Test.Thing");
g.Name = "got";
WScript.Echo(g.Name, g === t);
try { WScript.GetObject("/forms/x.xml"); } catch (e) { WScript.Echo((e.number >>> 0).toString(16), e.description); }
var s = new ActiveXObject("WScript.Shell");
s.CurrentDirectory = WScript.Arguments(0);
WScript.Echo(s.CurrentDirectory);
try { s.CurrentDirectory = WScript.Arguments(0) + "/none"; } catch (e) { WScript.Echo((e.number >>> 0).toString(16)); }
WScript.Echo(WScript.CreateObject("WScript.Shell").CurrentDirectory);
)");
    const Outcome o = Run({script.string(), (dir_ / "work dir").string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out,
              "event 4\ngot false\n800401e3 WScript.GetObject: no class here opens \"/forms/x.xml\"\n" +
                  (dir_ / "work dir").string() + "\n80070003\n" + (dir_ / "work dir").string() + "\n");
}

} // namespace

// The platform's own classes and the host's shell live in the program: a registry that is
// read-only, or damaged, or empty does not keep a script from creating them.
TEST_F(ScriptHostProcess, PlatformClassesWhateverTheRegistry) {
    const fs::path script = Write("platform.js", R"(
var d = new ActiveXObject("Microsoft.XMLDOM");
d.async = false;
d.loadXML("<FORM name='leave'/>");
var d2 = WScript.CreateObject("Msxml2.DOMDocument");
var h = new ActiveXObject("Msxml2.XMLHTTP"), h2 = new ActiveXObject("Microsoft.XMLHTTP");
var s = new ActiveXObject("WScript.Shell");
WScript.Echo(d.documentElement.getAttribute("name"), typeof d2.loadXML, typeof h.open, typeof h2.send,
             s.CurrentDirectory != "");
)");
    const fs::path registry = dir_ / "registry";
    const fs::path file = registry / "registry.txt";
    fs::create_directories(registry);
    // Everyone may read the script: the read-only case runs as an unprivileged user.
    fs::permissions(dir_, fs::perms(0755));
    fs::permissions(script, fs::perms(0644));
    const char* kGood = "QXFORMS-REGISTRY 1\nnext-serial 1\nend\n";
    const struct {
        const char* name;
        const char* text; // the registry file; null: none
        bool readOnly;
    } cases[] = {
        {"empty", nullptr, false},
        {"read-only", kGood, true},
        {"damaged", "QXFORMS-REGISTRY 1\nnext-serial 16\nhive HKEY_LOCAL_MACHINE\nkey 16 \"So", false},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        if (c.text)
            std::ofstream(file, std::ios::binary) << c.text;
        fs::permissions(registry, fs::perms(c.readOnly ? 0555 : 0755));
        const Outcome o = Run({script.string()}, c.readOnly);
        EXPECT_EQ(o.exitCode, 0) << c.name << ": " << o.err;
        EXPECT_EQ(o.out, "leave function function function true\n") << c.name;
        EXPECT_EQ(o.err, "") << c.name;
        if (c.text) {
            EXPECT_EQ(ReadAll(file), c.text) << c.name << ": the registry is not written";
        }
        fs::permissions(registry, fs::perms(0755));
    }
}

// The platform's own classes are creatable by ProgID from every script.
TEST_F(ScriptHostRegistry, PlatformXmlParserIsCreatableByProgId) {
    const fs::path script = Write("xml.js", R"(
var d = new ActiveXObject("Microsoft.XMLDOM");
d.async = false;
WScript.Echo(d.loadXML("<LISTVIEWDATA><ROW a='1'>x</ROW><ROW a='2'/></LISTVIEWDATA>"));
WScript.Echo(d.documentElement.childNodes.length, d.selectSingleNode("//ROW[@a='2']").xml);
var h = new ActiveXObject("Msxml2.XMLHTTP");
WScript.Echo(typeof h.open);
try { new ActiveXObject("No.Such.Class"); } catch (e) { WScript.Echo((e.number >>> 0).toString(16)); }
)");
    const Outcome o = Run({script.string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "true\n2 <ROW a=\"2\"/>\nfunction\n800401f3\n");
}

} // namespace qx::test
