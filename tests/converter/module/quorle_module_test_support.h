// Quorle's component file under test: a private registry directory for each test, the file's
// server functions, and readable dumps of registry subtrees.
#pragma once

#include "objbase_activation.h"
#include "qx/module/loader.h"
#include "qxcom/bstr.h"
#include "qxwin/registry.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorle_module_test {

namespace fs = std::filesystem;

inline const std::string kComponent = QX_QUORLE_COMPONENT;

inline std::string Narrow(const std::u16string& text) {
    return qx::com::Utf16ToUtf8(text);
}

// Every key under root\path with its values, one line each, subkeys after values, in the
// registry's enumeration order. String values are shown as text, others by type and size.
inline void DumpKey(HKEY root, const std::u16string& path, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + Narrow(path) + "]\n";
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLen = 512;
        BYTE data[8192];
        DWORD dataLen = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
            break;
        std::string shown;
        if (type == REG_SZ) {
            // Byte-exact: one terminating NUL and nothing else.
            const auto* text = reinterpret_cast<const char16_t*>(data);
            const DWORD chars = dataLen / 2;
            std::u16string value(text, chars);
            if (!value.empty() && value.back() == u'\0')
                value.pop_back();
            else
                shown = "<no NUL>";
            shown = "\"" + Narrow(value) + "\"" + shown;
        } else {
            shown = "type " + std::to_string(type) + " size " + std::to_string(dataLen);
        }
        out +=
            "  " + (nameLen ? Narrow(std::u16string(name, nameLen)) : std::string("@")) + "=" + shown + "\n";
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLen = 512;
        if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::u16string child(name, nameLen);
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

// A fresh registry directory for each test, named in the environment for child processes too.
class TempRegistry {
public:
    TempRegistry() {
        char pattern[] = "/tmp/quorle-module-test-XXXXXX";
        dir_ = mkdtemp(pattern);
        registry_ = dir_ / "registry";
        setenv("QX_REGISTRY_DIR", registry_.c_str(), 1);
        qx::registry::SetRootForTesting(registry_);
    }
    ~TempRegistry() {
        unsetenv("QX_REGISTRY_DIR");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const fs::path& Parent() const { return dir_; }

private:
    fs::path dir_;
    fs::path registry_;
};

using ServerFunction = HRESULT (*)();
using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

// The component file loaded for one test, with its server functions.
class LoadedComponent {
public:
    LoadedComponent() : module_(qx::module::LoadModule(kComponent)) {}
    ~LoadedComponent() {
        if (module_)
            qx::module::FreeModule(module_);
    }
    LoadedComponent(const LoadedComponent&) = delete;
    LoadedComponent& operator=(const LoadedComponent&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    HRESULT Call(const char* name) {
        auto function = reinterpret_cast<ServerFunction>(qx::module::FindExport(module_, name));
        return function ? function() : E_NOTIMPL;
    }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
        auto function =
            reinterpret_cast<GetClassObjectFunction>(qx::module::FindExport(module_, "DllGetClassObject"));
        return function ? function(clsid, iid, out) : E_NOTIMPL;
    }

private:
    HMODULE module_;
};

} // namespace quorle_module_test
