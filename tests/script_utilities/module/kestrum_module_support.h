// The Kestrum component file loaded into a private registry, and the registry read back as text.
#pragma once

#include "kestrum_interfaces.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <qx/module/loader.h>
#include <qxcom/bstr.h>
#include <qxwin/registry.h>
#include <winreg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrum_test {

inline std::string Utf8(const std::u16string& text) {
    return qx::com::Bstr(text).ToUtf8();
}

// Every key under root\path in enumeration order with its values: a string value whose data is
// its text and one terminating zero shows as name="text", anything else by its type and size.
inline void DumpKey(HKEY root, const std::u16string& path, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + Utf8(path) + "]\n";
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLength = 512;
        BYTE data[8192];
        DWORD size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        const std::u16string text(reinterpret_cast<const char16_t*>(data), size / 2);
        const bool plain =
            type == REG_SZ && size % 2 == 0 && !text.empty() && text.find(u'\0') == text.size() - 1;
        out += "  " + Utf8(std::u16string(name, nameLength)) + "=";
        out += plain ? "\"" + Utf8(text.substr(0, text.size() - 1)) + "\"\n"
                     : "<type " + std::to_string(type) + ", " + std::to_string(size) + " bytes>\n";
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLength = 512;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::u16string child(name, nameLength);
        DumpKey(root, path.empty() ? child : path + u"\\" + child, out);
    }
    RegCloseKey(key);
}

inline std::string Dump(const std::u16string& path) {
    std::string out;
    DumpKey(HKEY_CLASSES_ROOT, path, out);
    return out;
}

inline bool KeyExists(const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

using ServerFunction = HRESULT (*)();
using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

// A fresh registry directory, the apartment, and the component file loaded through the module
// loader, for each test.
class KestrumModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrum-module-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("QX_REGISTRY_DIR", (dir_ / "registry").c_str(), 1);
        qx::registry::SetRootForTesting(dir_ / "registry");
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        module_ = qx::module::LoadModule(QX_KESTRUM_COMPONENT);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_)
            qx::module::FreeModule(module_);
        CoUninitialize();
        qx::registry::SetRootForTesting(dir_ / "unused");
        unsetenv("QX_REGISTRY_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    template <typename F>
    F Export(const char* name) {
        return reinterpret_cast<F>(qx::module::FindExport(module_, name));
    }
    HRESULT Call(const char* name) { return Export<ServerFunction>(name)(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
        return Export<GetClassObjectFunction>("DllGetClassObject")(clsid, iid, out);
    }
    // The component file's path as registered: the full path of the loaded file.
    static std::string ComponentPath() { return std::filesystem::absolute(QX_KESTRUM_COMPONENT).string(); }

    std::filesystem::path dir_;
    HMODULE module_ = nullptr;
};

} // namespace kestrum_test
