// A second process for the registry tests: reads and writes the registry named by
// QX_REGISTRY_DIR, and prints what it got as "result=N" (and "value=..." for reads).
#include "qx/win32/registrar.h"
#include "qx/win32/registry.h"
#include "winreg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

HKEY Hive(const char* name) {
    if (std::strcmp(name, "HKCR") == 0)
        return HKEY_CLASSES_ROOT;
    if (std::strcmp(name, "HKLM") == 0)
        return HKEY_LOCAL_MACHINE;
    return HKEY_CURRENT_USER;
}

LONG SetText(HKEY hive, const char* path, const char* name, const char* text) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
    RegCloseKey(key);
    return rc;
}

int Report(LONG rc) {
    std::printf("result=%ld\n", static_cast<long>(rc));
    return rc == ERROR_SUCCESS ? 0 : 1;
}

int Increment(HKEY hive, const char* path, const char* name, int count) {
    for (int i = 0; i < count; ++i) {
        qx::registry::Transaction transaction;
        if (transaction.Status() != ERROR_SUCCESS)
            return Report(transaction.Status());
        HKEY key = nullptr;
        LONG rc = RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (rc != ERROR_SUCCESS)
            return Report(rc);
        DWORD value = 0;
        DWORD size = sizeof value;
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        ++value;
        rc = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS)
            rc = transaction.Commit();
        if (rc != ERROR_SUCCESS)
            return Report(rc);
    }
    return Report(ERROR_SUCCESS);
}

int RunScript(const char* file, const char* module, bool doRegister) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    qx::registrar::ReplacementMap replacements;
    replacements.Add("MODULE", module);
    const HRESULT hr = qx::registrar::RunScript(text.str(), replacements, doRegister);
    std::printf("hr=0x%08X\n", static_cast<unsigned>(hr));
    return SUCCEEDED(hr) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    if (command == "set-sz" && argc == 6)
        return Report(SetText(Hive(argv[2]), argv[3], argv[4], argv[5]));
    if (command == "get-sz" && argc == 5) {
        char buffer[4096];
        DWORD size = sizeof buffer - 1;
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExA(Hive(argv[2]), argv[3], 0, KEY_READ, &key);
        if (rc == ERROR_SUCCESS) {
            rc = RegQueryValueExA(key, argv[4], nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
            RegCloseKey(key);
        }
        if (rc == ERROR_SUCCESS) {
            buffer[size] = '\0';
            std::printf("value=%s\n", buffer);
        }
        return Report(rc);
    }
    if (command == "add-values" && argc == 6) {
        const int count = std::atoi(argv[5]);
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string(argv[4]) + std::to_string(i);
            const LONG rc = SetText(Hive(argv[2]), argv[3], name.c_str(), name.c_str());
            if (rc != ERROR_SUCCESS)
                return Report(rc);
        }
        return Report(ERROR_SUCCESS);
    }
    if (command == "increment" && argc == 6)
        return Increment(Hive(argv[2]), argv[3], argv[4], std::atoi(argv[5]));
    if ((command == "register" || command == "unregister") && argc == 4)
        return RunScript(argv[2], argv[3], command == "register");
    return 2;
}
