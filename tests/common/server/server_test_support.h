// A temporary registry for one test, the test component loaded through the module loader, and
// a readable dump of a registry subtree.
#pragma once

#include "objbase_activation.h"
#include "qx/module/loader.h"
#include "qxwin/registry.h"
#include "winreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace probe_test {

inline std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Every key and value under root\path, one line each, in enumeration order.
inline void DumpKey(HKEY root, const std::u16string& path, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + ToUtf8(path) + "]\n";
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLen = 512;
        BYTE data[4096];
        DWORD dataLen = sizeof data;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
            break;
        std::u16string value;
        if (type == REG_SZ)
            value.assign(reinterpret_cast<const char16_t*>(data), dataLen / 2 ? dataLen / 2 - 1 : 0);
        out += "  " + ToUtf8(std::u16string(name, nameLen)) + "=" + ToUtf8(value) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD nameLen = 512;
        if (RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DumpKey(root,
                path.empty() ? std::u16string(name, nameLen) : path + u"\\" + std::u16string(name, nameLen),
                out);
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

inline std::u16string DefaultValue(const std::u16string& path, const char16_t* name = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return u"<missing key>";
    WCHAR data[2048] = {};
    DWORD size = sizeof data - sizeof(WCHAR);
    DWORD type = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::u16string(data) : u"<missing value>";
}

// A fresh registry directory for each test, named in the environment for child processes too.
class TempRegistry {
public:
    TempRegistry() {
        char pattern[] = "/tmp/qx-server-test-XXXXXX";
        dir_ = mkdtemp(pattern);
        std::filesystem::permissions(dir_, std::filesystem::perms(0755));
        registry_ = dir_ / "registry";
        setenv("QX_REGISTRY_DIR", registry_.c_str(), 1);
        qx::registry::SetRootForTesting(registry_);
    }
    ~TempRegistry() {
        std::error_code ec;
        std::filesystem::permissions(registry_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& Directory() const { return registry_; }
    const std::filesystem::path& Parent() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path registry_;
};

using ServerFunction = HRESULT (*)();
using GetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);

} // namespace probe_test
