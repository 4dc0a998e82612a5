#include "registry_ex.h"

#include <winbase_message.h>
#include <winuser_msgbox.h>

#include <cstdio>

namespace {

// The first read buffer; longer values are read again with the size the registry asks for.
constexpr DWORD kValueBufferSize = 200;
// Key names are at most 255 characters, each up to two bytes in a double-byte code page.
constexpr DWORD kKeyNameBufferSize = 2 * 255 + 1;

void ShowEnumerationError(LONG error) {
    char text[256];
    std::snprintf(text, sizeof(text), "%u %s\n%s %u", static_cast<unsigned int>(error), "RegEnumKeyEx",
                  "C:\\Projects\\Kestrum\\RegistryEx", 939u);
    // The caption is the system's text for the code; without one the box shows its default.
    LPSTR caption = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<LPSTR>(&caption), 0, nullptr);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    LocalFree(caption);
}

} // namespace

RegistryEx::RegistryEx(HKEY root) : m_currentKey(root) {}

RegistryEx::~RegistryEx() {
    Close();
}

bool RegistryEx::Open(HKEY root, const char* subkey) {
    m_subKey = subkey ? subkey : "";
    Close();
    HKEY key = nullptr;
    m_lastError = RegOpenKeyExA(root, m_subKey.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (m_lastError == ERROR_SUCCESS)
        m_currentKey = key;
    return m_lastError == ERROR_SUCCESS;
}

void RegistryEx::Close() {
    if (m_currentKey)
        RegCloseKey(m_currentKey);
    m_currentKey = nullptr;
}

void RegistryEx::Fail(LONG error) {
    m_lastError = error;
}

bool RegistryEx::QueryValue(const char* name, std::string& text) {
    std::string buffer(kValueBufferSize, '\0');
    // The value may grow between the size query and the read: a few rounds, never past the buffer.
    for (int round = 0; round < 4; ++round) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD type = REG_NONE;
        m_lastError = RegQueryValueExA(m_currentKey, name, nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
        m_valueType = type;
        m_valueSize = size;
        if (m_lastError == ERROR_MORE_DATA && size > buffer.size()) {
            buffer.assign(size, '\0');
            continue;
        }
        if (m_lastError != ERROR_SUCCESS)
            return false;
        const size_t end = buffer.find('\0');
        text.assign(buffer.data(), end == std::string::npos || end > size ? size : end);
        return true;
    }
    return false;
}

bool RegistryEx::EnumSubKeys(const char* subkey, std::vector<std::string>& names) {
    HKEY key = nullptr;
    m_lastError = RegOpenKeyExA(m_currentKey, subkey ? subkey : "", 0, KEY_READ, &key);
    if (m_lastError != ERROR_SUCCESS)
        return false;
    DWORD count = 0;
    m_lastError = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    if (m_lastError == ERROR_SUCCESS) {
        names.clear();
        for (DWORD index = 0; index < count; ++index) {
            char name[kKeyNameBufferSize] = {};
            DWORD length = kKeyNameBufferSize;
            m_lastError = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (m_lastError != ERROR_SUCCESS) {
                ShowEnumerationError(m_lastError);
                break;
            }
            names.emplace_back(name, length);
        }
    }
    RegCloseKey(key);
    return m_lastError == ERROR_SUCCESS;
}
