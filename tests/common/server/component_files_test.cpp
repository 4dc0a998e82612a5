// The five component files seen from outside: the registry scripts each one carries (also those
// of classes without a row), what DllRegisterServer writes, the classes they hand out, and the
// version information read from the file without loading it.
#include "component_test_support.h"

#include "objbase.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/win32/registrar.h"
#include "winresource.h"
#include "winver.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

using namespace qxtest;

namespace {

struct ComponentClass {
    const char* name;
    UINT script;
    const char16_t* clsid;
    const char* description;
    bool mapped;       // has an object-map row, so DllRegisterServer runs its script
    bool safe = false; // registered as safe for scripting and for initialising
};

struct ComponentFile {
    const char* word; // the ProgID word
    const char* path;
    const char16_t* libid;
    const char* library; // the type library's help string
    const char* version;
    std::vector<ComponentClass> classes;
};

void PrintTo(const ComponentFile& file, std::ostream* out) {
    *out << file.word;
}

const ComponentFile kFiles[] = {
#ifdef QX_QUORLE_COMPONENT
    {"Quorle",
     QX_QUORLE_COMPONENT,
     u"{6DF30454-DF5F-4654-8D72-8AA069997695}",
     "Quorle 1.0 Type Library",
     "1.0.1.1",
     {{"Convert", 101, u"{241828DA-76FC-412D-8FFC-099704F25959}", "Convert Class", true, true},
      {"MailFormat", 104, u"{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}", "MailFormat Class", true}}},
#endif
#ifdef QX_KESTRUM_COMPONENT
    {"Kestrum",
     QX_KESTRUM_COMPONENT,
     u"{127DABED-1CA8-4956-A912-0EAF659F96F1}",
     "Kestrum 1.0 Type Library",
     "1.0.0.1",
     {{"Calendar", 101, u"{D2BCC8B5-4187-48DA-AC06-073CE127304F}", "Calendar Class", true, true},
      {"MiscFunc", 102, u"{B8E6A1B2-67A4-4CA4-8098-7C4D9F7E05C2}", "MiscFunc Class", true, true},
      {"RegScript", 103, u"{E2AC1D16-0E2C-4C15-88F0-2F085EC7E6A0}", "RegScript Class", true, true},
      {"RegEnumList", 104, u"{1E7AB8C8-6B41-4348-B2DE-59EC0AB810D7}", "RegEnumList Class", false},
      {"ContactIO", 105, u"{047A6352-670F-4EDF-AD3F-B565B62899A6}", "ContactIO Class", true, true}}},
#endif
    {"Tamsel",
     QX_TAMSEL_COMPONENT,
     u"{A336E37D-5661-423D-A307-6FD8C82B02CC}",
     "Tamsel 1.0 Type Library",
     "1.0.0.1",
     {{"TreeNodeBehavior", 102, u"{4E702F25-4C80-4D8A-A98D-83C254465456}", "TreeNodeBehavior Class", true},
      {"TreeViewBehavior", 103, u"{89F8B603-9D45-4A87-A79F-8294427DF0D4}", "TreeViewBehavior Class", true},
      {"TreeViewFactory", 101, u"{35609FBF-EE92-472F-B72A-599B70D21F9E}", "TreeViewFactory Class", true}}},
    {"Orrin",
     QX_ORRIN_COMPONENT,
     u"{962F70AB-BB2A-4614-95B5-88F84CC72C00}",
     "Orrin 1.0 Type Library",
     "1.0.0.1",
     {{"ComCtrlFactory", 107, u"{F8E93A35-2D04-4E2C-A04D-87947594C674}", "ComCtrlFactory Class", true},
      {"ListViewBehavior", 101, u"{5AA285AB-C0A2-4850-AFBB-313B60876742}", "ListViewBehavior Class", true},
      {"HeadBehavior", 106, u"{9ECFFE36-D70B-4DBF-A069-9F10330B462B}", "HeadBehavior Class", true},
      {"RowBehavior", 103, u"{9C3CD6F9-485D-4C92-9E02-C888D60F01B1}", "RowBehavior Class", true},
      {"HeaderCollection", 105, u"{564F4EFA-DD5B-4E15-AE13-B7E3BE480CFE}", "HeaderCollection Class", true},
      {"RowCollection", 102, u"{F2F5FF31-669B-4A3F-8803-B2BDA0EEAD11}", "RowCollection Class", true},
      {"MultiSelColl", 108, u"{4AB10C10-1861-4A7D-A6D0-2B836CCC36A7}", "MultiSelColl Class", true}}},
    {"Velkor",
     QX_VELKOR_COMPONENT,
     u"{D4F4CCEB-5B5C-489E-8681-F989EB130FDB}",
     "Velkor 1.0 Type Library",
     "1.0.0.1",
     {{"Velkor", 103, u"{999C3A80-04F3-44B7-8815-36ADF2319B98}", "Tessel FormProcessor Control", true},
      {"qxFormFields", 104, u"{ACF848FC-1017-4208-A48F-EF88E3B8D13E}",
       "Tessel FormProcessor FormFields Class", false},
      {"qxFormField", 105, u"{8A72727C-A18F-423F-B782-20ADDD636DAC}", "Tessel FormProcessor FormField Class",
       false},
      {"qxMultiField", 125, u"{441253A6-8899-496E-A535-30A8FB3E5CBE}", "qxMultiField Class", false}}},
};

// The keys one class's script writes, as Dump shows them. Every class has the same layout; the
// form control adds the keys of an insertable control.
std::string ExpectedClassKeys(const ComponentFile& file, const ComponentClass& c) {
    const std::string progId = std::string(file.word) + "." + c.name;
    const std::string clsid = Utf8(c.clsid);
    std::string out;
    out += "[" + progId + "]\n  =\"" + c.description + "\"\n";
    out += "[" + progId + "\\CLSID]\n  =\"" + clsid + "\"\n";
    out += "[" + progId + "\\CurVer]\n  =\"" + progId + ".1\"\n";
    out += "[" + progId + ".1]\n  =\"" + c.description + "\"\n";
    out += "[" + progId + ".1\\CLSID]\n  =\"" + clsid + "\"\n";
    const std::string key = "CLSID\\" + clsid;
    const bool control = std::string(c.name) == "Velkor";
    out += "[" + key + "]\n  =\"" + c.description + "\"\n";
    if (control)
        out += "[" + key + "\\Control]\n";
    out += "[" + key + "\\InprocServer32]\n  =\"" + file.path + "\"\n  ThreadingModel=\"Apartment\"\n";
    if (control) {
        out += "[" + key + "\\Insertable]\n";
        out += "[" + key + "\\MiscStatus]\n  =\"0\"\n";
        out += "[" + key + "\\MiscStatus\\1]\n  =\"131473\"\n";
    }
    out += "[" + key + "\\ProgID]\n  =\"" + progId + ".1\"\n";
    out += "[" + key + "\\Programmable]\n";
    if (control)
        out += "[" + key + "\\ToolboxBitmap32]\n  =\"" + file.path + ", 101\"\n";
    out += "[" + key + "\\TypeLib]\n  =\"" + Utf8(file.libid) + "\"\n";
    if (control)
        out += "[" + key + "\\Version]\n  =\"1.0\"\n";
    out += "[" + key + "\\VersionIndependentProgID]\n  =\"" + progId + "\"\n";
    return out;
}

std::string ClassKeys(const ComponentFile& file, const ComponentClass& c) {
    const std::u16string progId = qx::com::Utf8ToUtf16(std::string(file.word) + "." + c.name);
    return RegistryDump(progId) + RegistryDump(progId + u".1") +
           RegistryDump(std::u16string(u"CLSID\\") + c.clsid);
}

class ComponentFiles : public ::testing::TestWithParam<ComponentFile> {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
    TempRegistry registry_;
};

TEST_P(ComponentFiles, EveryCarriedScriptWritesTheClassKeysAndRemovesThem) {
    const ComponentFile& file = GetParam();
    LoadedComponent component(file.path);
    ASSERT_TRUE(component.Loaded());
    const HMODULE module = component.Handle();
    qx::registrar::ReplacementMap replacements;
    replacements.Add(std::string_view("MODULE"), std::string_view(file.path));
    for (const ComponentClass& c : file.classes) {
        SCOPED_TRACE(c.name);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(c.script), u"REGISTRY");
        ASSERT_NE(found, nullptr);
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string_view script(text, SizeofResource(module, found));
        ASSERT_EQ(qx::registrar::RunScript(script, replacements, true), S_OK);
        EXPECT_EQ(ClassKeys(file, c), ExpectedClassKeys(file, c));
        ASSERT_EQ(qx::registrar::RunScript(script, replacements, false), S_OK);
        EXPECT_EQ(ClassKeys(file, c), "");
        EXPECT_TRUE(KeyExists(u"CLSID"));
    }
}

TEST_P(ComponentFiles, RegistrationWritesOnlyTheMappedClassesAndTheTypeLibrary) {
    const ComponentFile& file = GetParam();
    LoadedComponent component(file.path);
    ASSERT_TRUE(component.Loaded());
    auto call = [&](const char* name) { return component.Call(name); };
    ASSERT_EQ(call("DllRegisterServer"), S_OK);
    for (const ComponentClass& c : file.classes) {
        SCOPED_TRACE(c.name);
        std::string expected = c.mapped ? ExpectedClassKeys(file, c) : "";
        if (c.safe) {
            const std::string key = "[CLSID\\" + Utf8(c.clsid) + "\\Implemented Categories";
            const std::string categories = key + "]\n" + key + "\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]\n" +
                                           key + "\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}]\n";
            expected.insert(expected.find("[CLSID\\" + Utf8(c.clsid) + "\\InprocServer32]"), categories);
        }
        EXPECT_EQ(ClassKeys(file, c), expected);
    }
    const std::u16string typeLib = std::u16string(u"TypeLib\\") + file.libid + u"\\1.0";
    EXPECT_EQ(Utf8(DefaultValue(typeLib)), file.library);
    EXPECT_EQ(DefaultValue(typeLib + u"\\0\\win32"), qx::com::Utf8ToUtf16(file.path));

    ASSERT_EQ(call("DllUnregisterServer"), S_OK);
    for (const ComponentClass& c : file.classes)
        EXPECT_EQ(ClassKeys(file, c), "") << c.name;
    EXPECT_FALSE(KeyExists(std::u16string(u"TypeLib\\") + file.libid));
    const bool anyMapped =
        std::any_of(file.classes.begin(), file.classes.end(), [](auto& c) { return c.mapped; });
    EXPECT_EQ(KeyExists(u"CLSID"), anyMapped) << "CLSID itself is never removed, nor made without a class";
    EXPECT_EQ(call("DllCanUnloadNow"), S_OK);
}

TEST_P(ComponentFiles, ClassesWithoutARowAreNotHandedOut) {
    const ComponentFile& file = GetParam();
    LoadedComponent component(file.path);
    ASSERT_TRUE(component.Loaded());
    for (const ComponentClass& c : file.classes) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromString(c.clsid, &clsid), S_OK);
        void* factory = reinterpret_cast<void*>(1);
        const HRESULT hr = component.GetClassObject(clsid, IID_IClassFactory, &factory);
        if (c.mapped) {
            EXPECT_EQ(hr, S_OK) << c.name;
            if (factory)
                static_cast<IUnknown*>(factory)->Release();
        } else {
            EXPECT_EQ(hr, CLASS_E_CLASSNOTAVAILABLE) << c.name;
            EXPECT_EQ(factory, nullptr) << c.name;
        }
    }
}

TEST_P(ComponentFiles, VersionInformationIsReadFromTheFile) {
    const ComponentFile& file = GetParam();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(file.path, 0, size, block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    char version[64];
    std::snprintf(version, sizeof version, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    EXPECT_STREQ(version, file.version);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041204B0\\InternalName", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), file.word);
}

INSTANTIATE_TEST_SUITE_P(All, ComponentFiles, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<ComponentFile>& info) { return info.param.word; });

} // namespace
