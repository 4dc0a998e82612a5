// Registering Quorle's component file: every key and value its registry scripts, its category
// maps and its type library write, byte-exact; registering again; unregistering; the version
// information read from the file.
#include "quorle_module_test_support.h"

#include "winmodule.h"
#include "winver.h"

#include <cstring>
#include <regex>
#include <vector>

using namespace quorle_module_test;

namespace {

const std::u16string kConvertKey = u"CLSID\\{241828DA-76FC-412D-8FFC-099704F25959}";
const std::u16string kMailFormatKey = u"CLSID\\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}";
const std::u16string kTypeLibKey = u"TypeLib\\{6DF30454-DF5F-4654-8D72-8AA069997695}";

// Everything under HKEY_CLASSES_ROOT after registration; MODULE and FOLDER stand for the
// component file's path and folder.
const char kRegistered[] = R"([]
[CLSID]
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}]
  ="Convert Class"
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\Implemented Categories]
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\Implemented Categories\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\Implemented Categories\{7DD95802-9882-11CF-9FA9-00AA006C42C4}]
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\InprocServer32]
  ="MODULE"
  ThreadingModel="Apartment"
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\ProgID]
  ="Quorle.Convert.1"
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\Programmable]
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
[CLSID\{241828DA-76FC-412D-8FFC-099704F25959}\VersionIndependentProgID]
  ="Quorle.Convert"
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}]
  ="MailFormat Class"
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}\InprocServer32]
  ="MODULE"
  ThreadingModel="Apartment"
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}\ProgID]
  ="Quorle.MailFormat.1"
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}\Programmable]
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
[CLSID\{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}\VersionIndependentProgID]
  ="Quorle.MailFormat"
[Interface]
[Interface\{0E9689FD-BDAD-4DA4-B574-876C3CF52E94}]
  ="_DIConvertEvent"
[Interface\{0E9689FD-BDAD-4DA4-B574-876C3CF52E94}\ProxyStubClsid]
  ="{00020420-0000-0000-C000-000000000046}"
[Interface\{0E9689FD-BDAD-4DA4-B574-876C3CF52E94}\ProxyStubClsid32]
  ="{00020420-0000-0000-C000-000000000046}"
[Interface\{0E9689FD-BDAD-4DA4-B574-876C3CF52E94}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
  Version="1.0"
[Interface\{2375E653-28CB-403A-96FD-435A1968FC04}]
  ="IConvert"
[Interface\{2375E653-28CB-403A-96FD-435A1968FC04}\ProxyStubClsid]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{2375E653-28CB-403A-96FD-435A1968FC04}\ProxyStubClsid32]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{2375E653-28CB-403A-96FD-435A1968FC04}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
  Version="1.0"
[Interface\{4F619509-2D97-4462-AE07-06D0478751AD}]
  ="IConvertEvent"
[Interface\{4F619509-2D97-4462-AE07-06D0478751AD}\ProxyStubClsid]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{4F619509-2D97-4462-AE07-06D0478751AD}\ProxyStubClsid32]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{4F619509-2D97-4462-AE07-06D0478751AD}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
  Version="1.0"
[Interface\{CC15CC4C-EC24-42A2-9C10-54A24CF4FB13}]
  ="IMailFormat"
[Interface\{CC15CC4C-EC24-42A2-9C10-54A24CF4FB13}\ProxyStubClsid]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{CC15CC4C-EC24-42A2-9C10-54A24CF4FB13}\ProxyStubClsid32]
  ="{00020424-0000-0000-C000-000000000046}"
[Interface\{CC15CC4C-EC24-42A2-9C10-54A24CF4FB13}\TypeLib]
  ="{6DF30454-DF5F-4654-8D72-8AA069997695}"
  Version="1.0"
[Quorle.Convert]
  ="Convert Class"
[Quorle.Convert\CLSID]
  ="{241828DA-76FC-412D-8FFC-099704F25959}"
[Quorle.Convert\CurVer]
  ="Quorle.Convert.1"
[Quorle.Convert.1]
  ="Convert Class"
[Quorle.Convert.1\CLSID]
  ="{241828DA-76FC-412D-8FFC-099704F25959}"
[Quorle.MailFormat]
  ="MailFormat Class"
[Quorle.MailFormat\CLSID]
  ="{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}"
[Quorle.MailFormat\CurVer]
  ="Quorle.MailFormat.1"
[Quorle.MailFormat.1]
  ="MailFormat Class"
[Quorle.MailFormat.1\CLSID]
  ="{4EF9D88C-D1C9-4E46-AE98-FF800C62B286}"
[TypeLib]
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}]
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}\1.0]
  ="Quorle 1.0 Type Library"
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}\1.0\0]
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}\1.0\0\win32]
  ="MODULE"
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}\1.0\FLAGS]
  ="0"
[TypeLib\{6DF30454-DF5F-4654-8D72-8AA069997695}\1.0\HELPDIR]
  ="FOLDER"
)";

std::string Expected(const char* text) {
    const std::string folder = fs::path(kComponent).parent_path().string();
    std::string out = std::regex_replace(text, std::regex("MODULE"), kComponent);
    return std::regex_replace(out, std::regex("FOLDER"), folder);
}

class QuorleRegistration : public ComponentFileTest {
protected:
    QuorleRegistration() : ComponentFileTest(kComponent) {}
};

TEST_F(QuorleRegistration, WritesEveryKeyAndValueOfBothClassesAndTheTypeLibrary) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u""), Expected(kRegistered));
}

TEST_F(QuorleRegistration, CategoriesOnlyForConvert) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(kConvertKey + u"\\Implemented Categories"),
              "[" + Utf8(kConvertKey) +
                  "\\Implemented Categories]\n"
                  "[" +
                  Utf8(kConvertKey) +
                  "\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}]\n"
                  "[" +
                  Utf8(kConvertKey) + "\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}]\n");
    EXPECT_FALSE(KeyExists(kConvertKey + u"\\Required Categories"));
    EXPECT_FALSE(KeyExists(kMailFormatKey + u"\\Implemented Categories"));
    EXPECT_FALSE(KeyExists(kMailFormatKey + u"\\Required Categories"));
}

TEST_F(QuorleRegistration, RegisteringTwiceLeavesTheSameKeys) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    const std::string once = RegistryDump(u"");
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(RegistryDump(u""), once);
}

TEST_F(QuorleRegistration, UnregisteringRemovesClassProgIdAndTypeLibraryKeysAndKeepsClsid) {
    // A class of another component stays.
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{00000000-1111-2222-3333-444444444444}", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
    const std::u16string gone[] = {
        kConvertKey,          kMailFormatKey,
        u"Quorle.Convert",    u"Quorle.Convert.1",
        u"Quorle.MailFormat", u"Quorle.MailFormat.1",
        kTypeLibKey,          u"Interface\\{2375E653-28CB-403A-96FD-435A1968FC04}",
    };
    for (const auto& key : gone)
        EXPECT_FALSE(KeyExists(key)) << Utf8(key);
    EXPECT_TRUE(KeyExists(u"CLSID"));
    EXPECT_TRUE(KeyExists(u"CLSID\\{00000000-1111-2222-3333-444444444444}"));
    // Unregistering what is not registered is no error, and registering again restores it all.
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    EXPECT_TRUE(KeyExists(kConvertKey + u"\\InprocServer32"));
}

// The version information of a copy of the file that nothing has loaded.
class QuorleVersion : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorle-version-XXXXXX";
        dir_ = mkdtemp(pattern);
        copy_ = (dir_ / "Quorle.DLL").string();
        fs::copy_file(kComponent, copy_);
        DWORD handle = 1;
        const DWORD size = GetFileVersionInfoSizeA(copy_.c_str(), &handle);
        ASSERT_GT(size, 0u);
        EXPECT_EQ(handle, 0u);
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(copy_.c_str(), 0, size, block_.data()));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string String(const std::string& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string path = "\\StringFileInfo\\041204b0\\" + name;
        if (!VerQueryValueA(block_.data(), path.c_str(), &value, &length))
            return "<missing>";
        return std::string(static_cast<const char*>(value), length ? length - 1 : 0);
    }

    fs::path dir_;
    std::string copy_;
    std::vector<BYTE> block_;
};

TEST_F(QuorleVersion, FixedInfoSaysOneZeroOneOne) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof info);
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00010001u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0x00010001u);
    EXPECT_EQ(info.dwFileType, VFT_DLL);
    // Compared part by part, as the form control does: 1.0.1.1 is not older than 1.0.1.1, and
    // newer than 1.0.1.0 and 1.0.0.9.
    const DWORD parts[4] = {HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                            HIWORD(info.dwFileVersionLS), LOWORD(info.dwFileVersionLS)};
    EXPECT_EQ(parts[0], 1u);
    EXPECT_EQ(parts[1], 0u);
    EXPECT_EQ(parts[2], 1u);
    EXPECT_EQ(parts[3], 1u);
    // Nothing loaded the copy to read it.
    EXPECT_EQ(GetModuleHandleA(copy_.c_str()), nullptr);
}

TEST_F(QuorleVersion, StringFieldsInLanguage1042) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 1042);
    EXPECT_EQ(translation[1], 1200);
    const std::pair<const char*, const char*> fields[] = {
        {"CompanyName", ""},
        {"FileDescription", "Quorle Module"},
        {"FileVersion", "1, 0, 1, 1"},
        {"InternalName", "Quorle"},
        {"OriginalFilename", "Quorle.DLL"},
        {"ProductName", "Quorle Module"},
        {"ProductVersion", "1, 0, 1, 1"},
    };
    for (const auto& [name, expected] : fields)
        EXPECT_EQ(String(name), expected) << name;
    EXPECT_EQ(String("LegalCopyright"), "<missing>");
}

TEST(QuorleVersionFile, MissingFileHasNoVersion) {
    DWORD handle = 0;
    EXPECT_EQ(GetFileVersionInfoSizeA("/nonexistent/Quorle.DLL", &handle), 0u);
}

} // namespace
