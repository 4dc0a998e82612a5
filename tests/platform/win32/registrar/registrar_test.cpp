// The registrar against a real (temporary) registry: the component scripts' shapes, repeated
// registration, NoRemove, ForceRemove, Delete, replacements and bad scripts.
#include "qx/win32/registrar.h"
#include "qx/win32/registry_script.h"
#include "registry_test_support.h"
#include "shlwapi_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace qx::registry::testing;
using qx::registrar::ReplacementMap;
using qx::registrar::RunScript;

namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every key below the given one as "path" lines, each value as "path|name=type:text" lines.
void Dump(HKEY key, const std::string& path, std::vector<std::string>& lines) {
    for (DWORD i = 0;; ++i) {
        WCHAR name[16384];
        DWORD length = 16384;
        BYTE data[4096];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        std::string text;
        if (type == REG_SZ) {
            std::u16string units(reinterpret_cast<const char16_t*>(data), size / 2);
            if (!units.empty() && units.back() == u'\0')
                units.pop_back();
            text = "s:" + Narrow(units);
        } else if (type == REG_DWORD && size == 4) {
            DWORD v;
            std::memcpy(&v, data, 4);
            text = "d:" + std::to_string(v);
        } else {
            text = "?";
        }
        lines.push_back(path + "|" + Narrow(std::u16string_view(name, length)) + "=" + text);
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string child = path + "\\" + Narrow(std::u16string_view(name, length));
        lines.push_back(child);
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Dump(sub, child, lines);
            RegCloseKey(sub);
        }
    }
}

std::vector<std::string> DumpAll() {
    std::vector<std::string> lines;
    Dump(HKEY_LOCAL_MACHINE, "HKLM", lines);
    Dump(HKEY_CURRENT_USER, "HKCU", lines);
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Fixture(const char* name) {
    return ReadFile(std::filesystem::path(QX_SOURCE_DIR) / "tests/platform/win32/registrar/data" / name);
}

ReplacementMap Module(const std::string& path) {
    ReplacementMap map;
    map.Add("MODULE", path);
    return map;
}

class RegistrarTest : public RegistryTest {};

struct ComponentCase {
    const char* fixture;
    const char* progId;
    const char* clsid;
    const char* description;
    const char* libid;
};

const ComponentCase kComponents[] = {
    {"quorle_convert.rgs", "Quorle.Convert", "{241828DA-76FC-412D-8FFC-099704F25959}", "Convert Class",
     "{6DF30454-DF5F-4654-8D72-8AA069997695}"},
    {"kestrum_calendar.rgs", "Kestrum.Calendar", "{D2BCC8B5-4187-48DA-AC06-073CE127304F}", "Calendar Class",
     "{127DABED-1CA8-4956-A912-0EAF659F96F1}"},
    {"tamsel_treeviewfactory.rgs", "Tamsel.TreeViewFactory", "{35609FBF-EE92-472F-B72A-599B70D21F9E}",
     "TreeViewFactory Class", "{A336E37D-5661-423D-A307-6FD8C82B02CC}"},
    {"orrin_listviewbehavior.rgs", "Orrin.ListViewBehavior", "{5AA285AB-C0A2-4850-AFBB-313B60876742}",
     "ListViewBehavior Class", "{962F70AB-BB2A-4614-95B5-88F84CC72C00}"},
    {"velkor_control.rgs", "Velkor.Velkor", "{999C3A80-04F3-44B7-8815-36ADF2319B98}",
     "Tessel FormProcessor Control", "{D4F4CCEB-5B5C-489E-8681-F989EB130FDB}"},
};

TEST_F(RegistrarTest, ComponentScriptsRegisterTwiceAlikeAndUnregisterCleanly) {
    const std::string classes = "HKLM\\Software\\Classes";
    for (const auto& c : kComponents) {
        const std::string module = std::string("/opt/qxforms/lib/") + c.progId + ".so";
        const std::string script = Fixture(c.fixture);
        ASSERT_FALSE(script.empty()) << c.fixture;
        ASSERT_EQ(RunScript(script, Module(module), true), S_OK) << c.fixture;
        const std::vector<std::string> once = DumpAll();
        const std::string progId = classes + "\\" + c.progId;
        const std::string clsid = classes + "\\CLSID\\" + c.clsid;
        for (const std::string& line : {
                 progId + ".1|=s:" + c.description,
                 progId + ".1\\CLSID|=s:" + c.clsid,
                 progId + "|=s:" + c.description,
                 progId + "\\CLSID|=s:" + c.clsid,
                 progId + "\\CurVer|=s:" + c.progId + ".1",
                 clsid + "|=s:" + c.description,
                 clsid + "\\ProgID|=s:" + c.progId + ".1",
                 clsid + "\\VersionIndependentProgID|=s:" + c.progId,
                 clsid + "\\Programmable",
                 clsid + "\\InprocServer32|=s:" + module,
                 clsid + "\\InprocServer32|ThreadingModel=s:Apartment",
                 clsid + "\\TypeLib|=s:" + c.libid,
             })
            EXPECT_TRUE(Has(once, line)) << c.fixture << ": " << line;

        ASSERT_EQ(RunScript(script, Module(module), true), S_OK) << c.fixture;
        EXPECT_EQ(DumpAll(), once) << c.fixture;

        ASSERT_EQ(RunScript(script, Module(module), false), S_OK) << c.fixture;
        const std::vector<std::string> after = DumpAll();
        EXPECT_TRUE(Has(after, classes + "\\CLSID")) << c.fixture; // never removed itself
        for (const std::string& gone : {progId + ".1", progId, clsid})
            EXPECT_FALSE(Has(after, gone)) << c.fixture << ": " << gone;
        // Unregistering what is no longer there succeeds and changes nothing.
        EXPECT_EQ(RunScript(script, Module(module), false), S_OK) << c.fixture;
        EXPECT_EQ(DumpAll(), after) << c.fixture;
    }
}

TEST_F(RegistrarTest, ControlScriptAddsTheControlKeys) {
    const std::string module = "/opt/qxforms/lib/libvelkor.so";
    ASSERT_EQ(RunScript(Fixture("velkor_control.rgs"), Module(module), true), S_OK);
    const std::string clsid = "HKLM\\Software\\Classes\\CLSID\\{999C3A80-04F3-44B7-8815-36ADF2319B98}";
    const std::vector<std::string> lines = DumpAll();
    for (const std::string& line :
         {clsid + "\\Control", clsid + "\\Insertable", clsid + "\\ToolboxBitmap32|=s:" + module + ", 101",
          clsid + "\\MiscStatus|=s:0", clsid + "\\MiscStatus\\1|=s:131473", clsid + "\\Version|=s:1.0"})
        EXPECT_TRUE(Has(lines, line)) << line;
}

TEST_F(RegistrarTest, TwoComponentsShareClsidAndUnregisteringOneKeepsTheOther) {
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module("/q.so"), true), S_OK);
    ASSERT_EQ(RunScript(Fixture("kestrum_calendar.rgs"), Module("/k.so"), true), S_OK);
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module("/q.so"), false), S_OK);
    const std::vector<std::string> lines = DumpAll();
    EXPECT_TRUE(Has(
        lines,
        "HKLM\\Software\\Classes\\CLSID\\{D2BCC8B5-4187-48DA-AC06-073CE127304F}\\InprocServer32|=s:/k.so"));
    EXPECT_FALSE(Has(lines, "HKLM\\Software\\Classes\\CLSID\\{241828DA-76FC-412D-8FFC-099704F25959}"));
}

TEST_F(RegistrarTest, NoRemoveKeysStayWhileTheirChildrenGo) {
    const char* script = "HKCU { NoRemove Software { NoRemove Tessel { Forms = s 'x' { Sub } "
                         "val Installed = d '1' val Kept = s 'k' } } }";
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Software\\Tessel\\Other", REG_SZ, "not ours", 0),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "Software\\Tessel\\Forms\\Foreign", REG_SZ, "below ours", 0),
              ERROR_SUCCESS);
    ASSERT_EQ(RunScript(script, ReplacementMap(), true), S_OK);
    std::vector<std::string> lines = DumpAll();
    EXPECT_TRUE(Has(lines, "HKCU\\Software\\Tessel|Installed=d:1"));
    EXPECT_TRUE(Has(lines, "HKCU\\Software\\Tessel\\Forms\\Sub"));
    ASSERT_EQ(RunScript(script, ReplacementMap(), false), S_OK);
    lines = DumpAll();
    EXPECT_TRUE(Has(lines, "HKCU\\Software\\Tessel"));
    EXPECT_TRUE(Has(lines, "HKCU\\Software\\Tessel\\Other|=s:not ours"));
    EXPECT_FALSE(Has(lines, "HKCU\\Software\\Tessel\\Forms")); // removed with all it holds
    EXPECT_FALSE(Has(lines, "HKCU\\Software\\Tessel|Installed=d:1"));
    EXPECT_FALSE(Has(lines, "HKCU\\Software\\Tessel|Kept=s:k"));
}

TEST_F(RegistrarTest, ForceRemoveStartsAfreshAndDeleteRemovesOnRegister) {
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "App\\Fresh\\Stale", REG_SZ, "old", 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "App\\Old\\Deep", REG_SZ, "old", 0), ERROR_SUCCESS);
    const char* script =
        "HKEY_CURRENT_USER { App { ForceRemove Fresh { New } Delete Old Delete NeverThere } }";
    ASSERT_EQ(RunScript(script, ReplacementMap(), true), S_OK);
    std::vector<std::string> lines = DumpAll();
    EXPECT_TRUE(Has(lines, "HKCU\\App\\Fresh\\New"));
    EXPECT_FALSE(Has(lines, "HKCU\\App\\Fresh\\Stale"));
    EXPECT_FALSE(Has(lines, "HKCU\\App\\Old"));
    ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, "App\\Old", REG_SZ, "again", 0), ERROR_SUCCESS);
    ASSERT_EQ(RunScript(script, ReplacementMap(), false), S_OK);
    lines = DumpAll();
    EXPECT_FALSE(Has(lines, "HKCU\\App")); // App has no NoRemove: removed with its subtree
}

TEST_F(RegistrarTest, ValuesQuotesAndReplacements) {
    ReplacementMap map;
    map.Add(u"Module", u"/lib/x.so");
    map.Add("VERSION", "1.0");
    const char* script = "HKCU { 'It''s' = s 'a ''quoted'' {text}' { val Flags = d '0x1F' val Count = d 42 "
                         "val Path = s '%module%' val Pct = s '100%%' 'v%VERSION%' } 'A B' }";
    ASSERT_EQ(RunScript(script, map, true), S_OK);
    const std::vector<std::string> lines = DumpAll();
    for (const char* line :
         {"HKCU\\It's|=s:a 'quoted' {text}", "HKCU\\It's|Flags=d:31", "HKCU\\It's|Count=d:42",
          "HKCU\\It's|Path=s:/lib/x.so", "HKCU\\It's|Pct=s:100%", "HKCU\\It's\\v1.0", "HKCU\\A B"})
        EXPECT_TRUE(Has(lines, line)) << line;
}

TEST_F(RegistrarTest, QuotesAndBracesInTheModulePathNeitherBreakNorAddKeys) {
    const std::string normal = "/opt/lib/libquorle.so";
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module(normal), true), S_OK);
    const std::size_t expectedLines = DumpAll().size();
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module(normal), false), S_OK);

    const std::string hostile = "/tmp/it's a ' } NoRemove x { Evil = s 'y' } ''\n{%MODULE%}/lib.so";
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module(hostile), true), S_OK);
    const std::vector<std::string> lines = DumpAll();
    EXPECT_EQ(lines.size(), expectedLines);
    EXPECT_TRUE(Has(
        lines, "HKLM\\Software\\Classes\\CLSID\\{241828DA-76FC-412D-8FFC-099704F25959}\\InprocServer32|=s:" +
                   hostile));
    for (const auto& line : lines) {
        if (line.find("InprocServer32|=") == std::string::npos) {
            EXPECT_EQ(line.find("Evil"), std::string::npos) << line;
        }
    }
}

TEST_F(RegistrarTest, BadScriptsFailWithDispExceptionAndTouchNothing) {
    const char* scripts[] = {
        "", // nothing to register is fine: see below
        "HKCR",
        "HKCR {",
        "HKCR { Key",
        "HKCR { Key = s 'open }",
        "HKCR { Key = x 'y' }",
        "HKCR { Key = s }",
        "HKCR { val = s 'x' }",
        "HKCR { val Name s 'x' }",
        "HKCR { Delete }",
        "HKCR { Delete Key { } }",
        "HKXX { }",
        "HKCR { } }",
        "HKCR { NoRemove }",
        "HKCR { Key = d 'twelve' }",
        "HKCR { Key = d '4294967296' }",
        "HKCR { Key = d '0x' }",
        "HKCR { 'a\\b' }",
        "HKCR { '' }",
        "HKCR { Key = s '%UNKNOWN%' }",
        "HKCR { Key = s '50%' }",
        "HKCR { ab'cd }",
        "HKCR { 'ab'cd }",
        "NoRemove HKCR { }",
        "HKCR { ForceRemove = s 'x' }",
    };
    bool first = true;
    for (const char* script : scripts) {
        const HRESULT hr = RunScript(std::string_view(script), Module("/m.so"), true);
        if (first) {
            EXPECT_EQ(hr, S_OK);
            first = false;
            continue;
        }
        EXPECT_EQ(hr, DISP_E_EXCEPTION) << script;
    }
    EXPECT_EQ(RunScript(std::string_view("HKCR { A = s '\xC3' }"), ReplacementMap(), true), DISP_E_EXCEPTION);
    std::string deep = "HKCU { ";
    for (int i = 0; i < 70; ++i)
        deep += "k { ";
    for (int i = 0; i < 70; ++i)
        deep += "} ";
    deep += "}";
    EXPECT_EQ(RunScript(deep, ReplacementMap(), true), DISP_E_EXCEPTION);
    EXPECT_EQ(RunScript(std::string(300, 'x'), ReplacementMap(), true), DISP_E_EXCEPTION);
    EXPECT_FALSE(std::filesystem::exists(RegistryFile()));

    qx::registrar::Script parsed;
    qx::registrar::ParseFailure failure;
    EXPECT_EQ(qx::registrar::ParseScript(u"HKCR\n{\n  Key = q 'x'\n}", ReplacementMap(), parsed, &failure),
              DISP_E_EXCEPTION);
    EXPECT_EQ(failure.offset, 15u); // the "q"
    EXPECT_EQ(failure.message, "unknown value type");
}

TEST_F(RegistrarTest, AnotherProcessRegistersAndUnregisters) {
    const std::filesystem::path script =
        std::filesystem::path(QX_SOURCE_DIR) / "tests/platform/win32/registrar/data/kestrum_calendar.rgs";
    HelperResult reg = RunHelper(registryDir_, {"register", script.string(), "/usr/lib/libkestrum.so"});
    ASSERT_EQ(reg.out, "hr=0x00000000\n") << reg.err;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Kestrum.Calendar\\CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    HelperResult unreg = RunHelper(registryDir_, {"unregister", script.string(), "/usr/lib/libkestrum.so"});
    ASSERT_EQ(unreg.out, "hr=0x00000000\n") << unreg.err;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Kestrum.Calendar", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistrarTest, RegistrationIntoAReadOnlyDirectoryFailsAndLeavesTheRegistry) {
    ASSERT_EQ(RunScript(Fixture("quorle_convert.rgs"), Module("/q.so"), true), S_OK);
    const std::string before = ReadFile(RegistryFile());
    if (geteuid() == 0) {
        ASSERT_EQ(chown(temp_.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(chmod(temp_.path().c_str(), 0755), 0);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(registryDir_))
            ASSERT_EQ(chown(entry.path().c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(registryDir_.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(registryDir_.c_str(), 0555), 0);
    const std::string velkor = Fixture("velkor_control.rgs");
    const std::string quorle = Fixture("quorle_convert.rgs");
    HelperResult refused = RunForked(registryDir_, [&] {
        char text[64];
        std::snprintf(text, sizeof text, "register=0x%08X unregister=0x%08X",
                      static_cast<unsigned>(RunScript(velkor, Module("/v.so"), true)),
                      static_cast<unsigned>(RunScript(quorle, Module("/q.so"), false)));
        return std::string(text);
    });
    if (refused.exitCode == 126)
        GTEST_SKIP() << "cannot become an unprivileged user here";
    // HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), with the directory named on standard error.
    EXPECT_EQ(refused.out, "register=0x80070005 unregister=0x80070005");
    EXPECT_NE(refused.err.find(registryDir_.string()), std::string::npos) << refused.err;
    chmod(registryDir_.c_str(), 0755);
    EXPECT_EQ(ReadFile(RegistryFile()), before);
}

} // namespace
