// Registration of the Kestrum component file read back key by key: ProgIDs, class keys, type
// library and interfaces; RegEnumList's script never runs; registering again changes nothing;
// unregistering takes the keys away and leaves HKEY_CLASSES_ROOT\CLSID.
#include "kestrum_module_support.h"

#include <vector>

using namespace kestrum_test;

namespace {

const std::string kLibId = "{127DABED-1CA8-4956-A912-0EAF659F96F1}";

struct ClassKeys {
    const char* name;
    const char* clsid;
};
// In the registry's order of their class identifiers.
const ClassKeys kClasses[] = {
    {"ContactIO", "{047A6352-670F-4EDF-AD3F-B565B62899A6}"},
    {"MiscFunc", "{B8E6A1B2-67A4-4CA4-8098-7C4D9F7E05C2}"},
    {"Calendar", "{D2BCC8B5-4187-48DA-AC06-073CE127304F}"},
    {"RegScript", "{E2AC1D16-0E2C-4C15-88F0-2F085EC7E6A0}"},
};
struct InterfaceKeys {
    const char* name;
    const char* iid;
    const char* proxy = "{00020424-0000-0000-C000-000000000046}"; // dual interfaces: the dispatch proxy
};
const InterfaceKeys kInterfaces[] = {
    {"IRegEnumList", "{42ED8628-ED0E-43C8-88AE-4478A89D1182}"},
    {"ICalendar", "{5B0E3D41-7C2A-4F1E-9B63-2D8A47C1E590}"},
    {"IContactIO", "{65D339D8-E05A-4100-A417-AB743C6579C0}"},
    {"IMiscFunc", "{7F55964A-0925-4F88-A796-E3C341BD586A}"},
    {"IRegScript", "{9C1F1777-237D-42E1-8022-4B00F51C15BA}"},
    {"_DIContactIOEvents", "{A17D8DEB-1658-4A64-85AF-6DCEA488D710}",
     "{00020420-0000-0000-C000-000000000046}"},
};

std::string ClassKeyText(const ClassKeys& c, const std::string& module) {
    const std::string key = std::string("[CLSID\\") + c.clsid;
    const std::string description = std::string(c.name) + " Class";
    return key + "]\n  =\"" + description + "\"\n" +                                            //
           key + "\\Implemented Categories]\n" +                                                //
           key + "\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]\n" +        //
           key + "\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}]\n" +        //
           key + "\\InprocServer32]\n  =\"" + module + "\"\n  ThreadingModel=\"Apartment\"\n" + //
           key + "\\ProgID]\n  =\"Kestrum." + c.name + ".1\"\n" +                               //
           key + "\\Programmable]\n" +                                                          //
           key + "\\TypeLib]\n  =\"" + kLibId + "\"\n" +                                        //
           key + "\\VersionIndependentProgID]\n  =\"Kestrum." + c.name + "\"\n";
}

std::string ProgIdText(const ClassKeys& c) {
    const std::string progId = std::string("Kestrum.") + c.name;
    const std::string description = std::string(c.name) + " Class";
    return "[" + progId + "]\n  =\"" + description + "\"\n[" + progId + "\\CLSID]\n  =\"" + c.clsid +
           "\"\n[" + progId + "\\CurVer]\n  =\"" + progId + ".1\"\n";
}

std::string VersionedProgIdText(const ClassKeys& c) {
    const std::string progId = std::string("Kestrum.") + c.name + ".1";
    return "[" + progId + "]\n  =\"" + c.name + " Class\"\n[" + progId + "\\CLSID]\n  =\"" + c.clsid + "\"\n";
}

std::string InterfaceText(const InterfaceKeys& i) {
    const std::string key = std::string("[Interface\\") + i.iid;
    return key + "]\n  =\"" + i.name + "\"\n" + key + "\\ProxyStubClsid]\n  =\"" + i.proxy + "\"\n" + key +
           "\\ProxyStubClsid32]\n  =\"" + i.proxy + "\"\n" + key + "\\TypeLib]\n  =\"" + kLibId +
           "\"\n  Version=\"1.0\"\n";
}

TEST_F(KestrumModuleTest, RegistrationWritesEveryKeyAndValueExactly) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    const std::string module = ComponentPath();
    const std::string folder = std::filesystem::path(module).parent_path().string();

    std::string classes = "[CLSID]\n";
    for (const auto& c : kClasses)
        classes += ClassKeyText(c, module);
    EXPECT_EQ(RegistryDump(u"CLSID"), classes);

    for (const auto& c : kClasses) {
        SCOPED_TRACE(c.name);
        const std::u16string progId = u"Kestrum." + qx::com::Utf8ToUtf16(c.name);
        EXPECT_EQ(RegistryDump(progId), ProgIdText(c));
        EXPECT_EQ(RegistryDump(progId + u".1"), VersionedProgIdText(c));
    }

    std::string interfaces = "[Interface]\n";
    for (const auto& i : kInterfaces)
        interfaces += InterfaceText(i);
    EXPECT_EQ(RegistryDump(u"Interface"), interfaces);

    const std::string lib = "[TypeLib\\" + kLibId;
    EXPECT_EQ(RegistryDump(u"TypeLib"),
              "[TypeLib]\n" + lib + "]\n" + lib + "\\1.0]\n  =\"Kestrum 1.0 Type Library\"\n" + lib +
                  "\\1.0\\0]\n" + lib + "\\1.0\\0\\win32]\n  =\"" + module + "\"\n" + lib +
                  "\\1.0\\FLAGS]\n  =\"0\"\n" + lib + "\\1.0\\HELPDIR]\n  =\"" + folder + "\"\n");

    // Nothing else: the top of HKEY_CLASSES_ROOT holds exactly these keys.
    std::string top;
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"", 0, KEY_READ, &root), ERROR_SUCCESS);
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        top += Utf8(std::u16string(name, length)) + "\n";
    }
    RegCloseKey(root);
    EXPECT_EQ(
        top,
        "CLSID\nInterface\nKestrum.Calendar\nKestrum.Calendar.1\nKestrum.ContactIO\nKestrum.ContactIO.1\n"
        "Kestrum.MiscFunc\nKestrum.MiscFunc.1\n"
        "Kestrum.RegScript\nKestrum.RegScript.1\nTypeLib\n");
}

TEST_F(KestrumModuleTest, ClassesWithoutARowAreNeverRegistered) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    for (const std::u16string key :
         {u"CLSID\\{1E7AB8C8-6B41-4348-B2DE-59EC0AB810D7}", u"Kestrum.RegEnumList", u"Kestrum.RegEnumList.1"})
        EXPECT_FALSE(KeyExists(key)) << Utf8(key);
}

TEST_F(KestrumModuleTest, RegisteringTwiceLeavesTheSameKeys) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    const std::string once = RegistryDump(u"");
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u""), once);
    // A damaged class key is written whole again (ForceRemove): a stale value goes.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{D2BCC8B5-4187-48DA-AC06-073CE127304F}\\Stale", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"CLSID\\{D2BCC8B5-4187-48DA-AC06-073CE127304F}\\ProgID"),
              ERROR_SUCCESS);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u""), once);
}

TEST_F(KestrumModuleTest, UnregisteringRemovesClassAndProgIdKeysAndKeepsClsid) {
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT,
                              u"CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u"CLSID"), "[CLSID]\n[CLSID\\{00000000-1111-2222-3333-444444444444}]\n"
                                      "[CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32]\n");
    for (const auto& c : kClasses) {
        const std::u16string progId = u"Kestrum." + qx::com::Utf8ToUtf16(c.name);
        EXPECT_FALSE(KeyExists(progId)) << c.name;
        EXPECT_FALSE(KeyExists(progId + u".1")) << c.name;
    }
    EXPECT_FALSE(KeyExists(u"TypeLib\\{127DABED-1CA8-4956-A912-0EAF659F96F1}"));
    for (const auto& i : kInterfaces)
        EXPECT_FALSE(KeyExists(u"Interface\\" + qx::com::Utf8ToUtf16(i.iid))) << i.name;
    // Unregistering what is not registered is no error, and keeps what is not Kestrum's.
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    EXPECT_TRUE(KeyExists(u"CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32"));
}

TEST_F(KestrumModuleTest, RegisteredProgIdsCreateTheirClasses) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    static const struct {
        const char16_t* progId;
        const CLSID* clsid;
        const IID* iid;
    } kCases[] = {
        {u"Kestrum.Calendar", &CLSID_Calendar, &IID_ICalendar},
        {u"Kestrum.Calendar.1", &CLSID_Calendar, &IID_ICalendar},
        {u"Kestrum.MiscFunc", &CLSID_MiscFunc, &IID_IMiscFunc},
        {u"Kestrum.MiscFunc.1", &CLSID_MiscFunc, &IID_IMiscFunc},
        {u"Kestrum.RegScript", &CLSID_RegScript, &IID_IRegScript},
        {u"Kestrum.RegScript.1", &CLSID_RegScript, &IID_IRegScript},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(Utf8(c.progId));
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(c.progId, &clsid), S_OK);
        EXPECT_TRUE(IsEqualGUID(clsid, *c.clsid));
        IUnknown* object = nullptr;
        ASSERT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, *c.iid, reinterpret_cast<void**>(&object)),
            S_OK);
        object->Release();
    }
    CLSID none{};
    EXPECT_EQ(CLSIDFromProgID(u"Kestrum.RegEnumList", &none), CO_E_CLASSSTRING);
}

} // namespace
