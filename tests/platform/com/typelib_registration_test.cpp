// RegisterTypeLib / UnRegisterTypeLib on a registry of the test's own.
#include "qx/win32/registry.h"
#include "shlwapi_registry.h"
#include "test_interfaces.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using qx::com::ComPtr;

namespace {

class TypeLibRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("qxcom-registry-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        qx::registry::SetRootForTesting(dir_);
        ASSERT_EQ(qx::com::CreateTypeLib(kTallyLibrary, &lib), S_OK);
    }
    void TearDown() override {
        qx::registry::SetRootForTesting(dir_ / "unused");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    static std::u16string Read(const std::u16string& path, const char16_t* name = nullptr) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return u"<no key>";
        char16_t buffer[512] = {};
        DWORD size = sizeof buffer - sizeof(char16_t), type = 0;
        LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS && type == REG_SZ ? std::u16string(buffer) : u"<no value>";
    }
    static bool Exists(const std::u16string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::filesystem::path dir_;
    ComPtr<ITypeLib> lib;
};

const std::u16string kLib = u"TypeLib\\{5B8C1A46-0F6E-4D3A-9C21-7E44A1B2C3D4}";
const std::u16string kDual = u"Interface\\{5B8C1A42-0F6E-4D3A-9C21-7E44A1B2C3D4}";
const std::u16string kDisp = u"Interface\\{5B8C1A44-0F6E-4D3A-9C21-7E44A1B2C3D4}";

TEST_F(TypeLibRegistrationTest, WritesTheStandardKeys) {
    ASSERT_EQ(RegisterTypeLib(lib.Get(), u"/opt/qx/libtally.so", nullptr), S_OK);
    EXPECT_EQ(Read(kLib + u"\\1.0"), u"Tally 1.0 Type Library");
    EXPECT_EQ(Read(kLib + u"\\1.0\\0\\win32"), u"/opt/qx/libtally.so");
    EXPECT_EQ(Read(kLib + u"\\1.0\\FLAGS"), u"0");
    EXPECT_EQ(Read(kLib + u"\\1.0\\HELPDIR"), u"/opt/qx");
    EXPECT_EQ(Read(kDual), u"ITally");
    EXPECT_EQ(Read(kDual + u"\\ProxyStubClsid32"), u"{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(Read(kDual + u"\\TypeLib"), u"{5B8C1A46-0F6E-4D3A-9C21-7E44A1B2C3D4}");
    EXPECT_EQ(Read(kDual + u"\\TypeLib", u"Version"), u"1.0");
    EXPECT_EQ(Read(kDisp), u"_DTallyEvents");
    EXPECT_EQ(Read(kDisp + u"\\ProxyStubClsid"), u"{00020420-0000-0000-C000-000000000046}");
    // Coclasses and enums get no Interface key.
    EXPECT_FALSE(Exists(u"Interface\\{5B8C1A45-0F6E-4D3A-9C21-7E44A1B2C3D4}"));
    // Registering twice leaves the same keys.
    ASSERT_EQ(RegisterTypeLib(lib.Get(), u"/opt/qx/libtally.so", u"/help"), S_OK);
    EXPECT_EQ(Read(kLib + u"\\1.0\\HELPDIR"), u"/help");
}

TEST_F(TypeLibRegistrationTest, UnregisterRemovesOnlyThisLibrary) {
    // An interface of someone else stays.
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT,
                              u"Interface\\{00000000-1111-2222-3333-444444444444}\\TypeLib", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(RegisterTypeLib(lib.Get(), u"/opt/qx/libtally.so", nullptr), S_OK);
    ASSERT_EQ(UnRegisterTypeLib(LIBID_TALLYLib, 1, 0, 0, SYS_WIN32), S_OK);
    EXPECT_FALSE(Exists(kLib));
    EXPECT_FALSE(Exists(kDual));
    EXPECT_FALSE(Exists(kDisp));
    EXPECT_TRUE(Exists(u"Interface\\{00000000-1111-2222-3333-444444444444}"));
    EXPECT_TRUE(Exists(u"Interface"));
    EXPECT_EQ(UnRegisterTypeLib(LIBID_TALLYLib, 1, 0, 0, SYS_WIN32), TYPE_E_REGISTRYACCESS);
}

TEST_F(TypeLibRegistrationTest, AnotherVersionKeepsTheLibraryKey) {
    ASSERT_EQ(RegisterTypeLib(lib.Get(), u"/a.so", nullptr), S_OK);
    HKEY v2 = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (kLib + u"\\2.0").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &v2, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(v2);
    ASSERT_EQ(UnRegisterTypeLib(LIBID_TALLYLib, 1, 0, 0, SYS_WIN32), S_OK);
    EXPECT_TRUE(Exists(kLib + u"\\2.0"));
    EXPECT_FALSE(Exists(kLib + u"\\1.0"));
}

TEST_F(TypeLibRegistrationTest, BadArguments) {
    EXPECT_EQ(RegisterTypeLib(nullptr, u"/a.so", nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterTypeLib(lib.Get(), nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterTypeLib(lib.Get(), u"", nullptr), E_INVALIDARG);
}

} // namespace

namespace {

TEST_F(TypeLibRegistrationTest, LoadTypeLibExCanRegister) {
    ComPtr<ITypeLib> loaded;
    std::u16string path = qx::com::Utf8ToUtf16(QX_TALLY_TLB);
    ASSERT_EQ(LoadTypeLib(path.c_str(), &loaded), S_OK);
    EXPECT_FALSE(Exists(kLib));
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &loaded), S_OK);
    EXPECT_EQ(Read(kLib + u"\\1.0\\0\\win32"), path);
}

} // namespace
