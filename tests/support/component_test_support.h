// Component files under test: a private registry directory for each test, a component file
// loaded with its server functions, and registry subtrees read back as text. The test links
// the platform (qx_platform) as well as qx_test_support.
#pragma once

#include "objbase_activation.h"
#include "qx/com/bstr.h"
#include "qx/module/loader.h"
#include "qx/win32/registry.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qxtest {

inline std::string Utf8(std::u16string_view text) {
    return qx::com::Utf16ToUtf8(text);
}

// How a dump shows one value's data: a string whose data is its text and exactly one
// terminating NUL as "text"; anything else (another type, no NUL, a NUL inside, an odd size)
// by its type and size, so that a damaged string never reads like a good one.
inline std::string RegistryValueText(DWORD type, const BYTE* data, DWORD size) {
    if (type == REG_SZ && size >= 2 && size % 2 == 0) {
        const std::u16string text(reinterpret_cast<const char16_t*>(data), size / 2);
        if (text.find(u'\0') == text.size() - 1)
            return "\"" + Utf8(std::u16string_view(text).substr(0, text.size() - 1)) + "\"";
    }
    return "<type " + std::to_string(type) + ", " + std::to_string(size) + " bytes>";
}

namespace detail {

inline void DumpKey(HKEY root, const std::u16string& path, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + Utf8(path) + "]\n";
    std::vector<WCHAR> name(16384);
    std::vector<BYTE> data(8192);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA && size > data.size()) {
            data.resize(size);
            nameLength = static_cast<DWORD>(name.size());
            status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        }
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS) {
            // Shown, so that a value the dump cannot read fails the comparison.
            out += "  <value " + std::to_string(i) + " unreadable: error " + std::to_string(status) + ">\n";
            break;
        }
        out += "  " + Utf8(std::u16string_view(name.data(), nameLength)) + "=" +
               RegistryValueText(type, data.data(), size) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        const LONG status =
            RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS) {
            out += "  <subkey " + std::to_string(i) + " unreadable: error " + std::to_string(status) + ">\n";
            break;
        }
        const std::u16string child(name.data(), nameLength);
        DumpKey(root, path.empty() ? child : path + u"\\" + child, out);
    }
    RegCloseKey(key);
}

} // namespace detail

// Every key under root\path in the registry's enumeration order, each as "[path]" followed by
// its values, one "  name=data" line each (the default value's name is empty), then its
// subkeys. A missing key dumps as nothing.
inline std::string RegistryDump(HKEY root, const std::u16string& path) {
    std::string out;
    detail::DumpKey(root, path, out);
    return out;
}

inline std::string RegistryDump(const std::u16string& path) {
    return RegistryDump(HKEY_CLASSES_ROOT, path);
}

inline bool KeyExists(HKEY root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline bool KeyExists(const std::u16string& path) {
    return KeyExists(HKEY_CLASSES_ROOT, path);
}

// The text of a string value of HKEY_CLASSES_ROOT\path (the default value without a name);
// "<missing key>", "<missing value>", or the value as a dump shows it when it is not a
// string with exactly one terminating NUL.
inline std::u16string DefaultValue(const std::u16string& path, const char16_t* name = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return u"<missing key>";
    DWORD size = 0;
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (status == ERROR_SUCCESS && size > 0)
        status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return u"<missing value>";
    if (type == REG_SZ && size >= 2 && size % 2 == 0) {
        const std::u16string text(reinterpret_cast<const char16_t*>(data.data()), size / 2);
        if (text.find(u'\0') == text.size() - 1)
            return text.substr(0, text.size() - 1);
    }
    return qx::com::Utf8ToUtf16(RegistryValueText(type, data.data(), size));
}

// A fresh registry directory for one test: this process's registry and, through
// QX_REGISTRY_DIR, every child's, until it goes (one at a time: the last made is the one in
// use). The parent folder is left readable for a child that runs as another user.
class TempRegistry {
public:
    TempRegistry() {
        // Under /tmp whatever TMPDIR says: a child running as another user must reach it.
        std::string pattern = "/tmp/qx-registry-XXXXXX";
        // Without one the test would run against the user's own registry: it stops instead.
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a registry directory " + pattern);
        dir_ = pattern;
        std::error_code ignored;
        std::filesystem::permissions(dir_, std::filesystem::perms(0755), ignored);
        registry_ = dir_ / "registry";
        setenv("QX_REGISTRY_DIR", registry_.c_str(), 1);
        qx::registry::SetRootForTesting(registry_);
    }
    ~TempRegistry() {
        // Nothing may go on writing into the folder once it is gone.
        qx::registry::SetRootForTesting(dir_ / "unused");
        unsetenv("QX_REGISTRY_DIR");
        std::error_code ignored;
        std::filesystem::permissions(registry_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    const std::filesystem::path& Directory() const { return registry_; }
    const std::filesystem::path& Parent() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path registry_;
};

using ServerFunction = HRESULT (*)();
using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

// A component file loaded through the module loader for as long as the object lives.
class LoadedComponent {
public:
    explicit LoadedComponent(const std::string& path) : module_(qx::module::LoadModule(path)) {}
    ~LoadedComponent() {
        if (module_)
            qx::module::FreeModule(module_);
    }
    LoadedComponent(const LoadedComponent&) = delete;
    LoadedComponent& operator=(const LoadedComponent&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Handle() const { return module_; }

    template <typename F>
    F Export(const char* name) const {
        return module_ ? reinterpret_cast<F>(qx::module::FindExport(module_, name)) : nullptr;
    }
    // A server function (DllRegisterServer, DllCanUnloadNow, ...); one the file lacks gives
    // ERROR_PROC_NOT_FOUND as an HRESULT.
    HRESULT Call(const char* name) const {
        const auto function = Export<ServerFunction>(name);
        return function ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        const auto function = Export<GetClassObjectFunction>("DllGetClassObject");
        return function ? function(clsid, iid, out) : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    }

private:
    HMODULE module_;
};

// A test of one component file: a private registry, the apartment, and the file loaded for
// each test and unloaded before the apartment ends.
class ComponentFileTest : public ::testing::Test {
protected:
    explicit ComponentFileTest(std::string path) : path_(std::move(path)) {}
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        component_.emplace(path_);
        ASSERT_TRUE(component_->Loaded()) << path_;
    }
    void TearDown() override {
        component_.reset();
        CoUninitialize();
    }
    HRESULT Call(const char* name) { return component_->Call(name); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
        return component_->GetClassObject(clsid, iid, out);
    }

    TempRegistry registry_;
    std::optional<LoadedComponent> component_;

private:
    std::string path_;
};

} // namespace qxtest
