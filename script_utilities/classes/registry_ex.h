// A registry key for the script classes: one current key, the result of the last call, and the
// type and size of the last value read.
#pragma once

#include <winreg.h>

#include <string>
#include <vector>

class RegistryEx {
public:
    explicit RegistryEx(HKEY root);
    virtual ~RegistryEx();
    RegistryEx(const RegistryEx&) = delete;
    RegistryEx& operator=(const RegistryEx&) = delete;

    // Makes root\subkey (opened with every right) the current key; the previous one is closed
    // first, and a failed open leaves no current key.
    bool Open(HKEY root, const char* subkey);
    void Close();
    // The value's data up to its first NUL byte, read whole however long it is.
    bool QueryValue(const char* name, std::string& text);
    // The names of the subkeys of subkey under the current key, in the registry's order. On a
    // failed open the list is left as it was.
    bool EnumSubKeys(const char* subkey, std::vector<std::string>& names);
    // Records a failure that happened before any registry call (a name that cannot be used).
    void Fail(LONG error);

    LONG LastError() const { return m_lastError; }
    DWORD ValueType() const { return m_valueType; }
    DWORD ValueSize() const { return m_valueSize; }
    HKEY CurrentKey() const { return m_currentKey; }

private:
    LONG m_lastError = ERROR_SUCCESS;
    DWORD m_valueType = REG_NONE;
    DWORD m_valueSize = 0;
    HKEY m_currentKey = nullptr;
    std::string m_subKey;
};
