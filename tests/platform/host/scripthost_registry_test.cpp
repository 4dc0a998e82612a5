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

} // namespace

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
