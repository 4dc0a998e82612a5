// The A forms: names and string data cross the ANSI code page (949) on their way in and out.
#include "ansi_codepage.h"
#include "registry_core.h"
#include "shlwapi_registry.h"

#include <cstring>

using namespace qx::registry::detail;

namespace {

std::u16string Wide(LPCSTR text) {
    return text ? AnsiToWide(text) : std::u16string();
}

// String data as the A functions hand it out: the UTF-16 units converted (an odd last byte is
// dropped, as it cannot form a character).
std::vector<BYTE> AnsiData(const Value& value) {
    if (!IsStringType(value.type))
        return value.data;
    const std::string ansi = WideToAnsi(Utf16Units(value.data));
    return std::vector<BYTE>(ansi.begin(), ansi.end());
}

DWORD AnsiNameLength(std::u16string_view name) {
    return static_cast<DWORD>(WideToAnsi(name).size());
}
DWORD AnsiDataBytes(const Value& value) {
    return static_cast<DWORD>(AnsiData(value).size());
}
const AnsiView kAnsiView{AnsiNameLength, AnsiDataBytes};

LONG CopyName(std::u16string_view wide, LPSTR buffer, LPDWORD length) {
    if (buffer == nullptr || length == nullptr)
        return ERROR_INVALID_PARAMETER;
    const std::string name = WideToAnsi(wide);
    if (name.size() + 1 > *length)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG EmptyClass(LPSTR cls, LPDWORD length) {
    if (cls == nullptr || length == nullptr)
        return ERROR_SUCCESS;
    if (*length == 0)
        return ERROR_MORE_DATA;
    cls[0] = '\0';
    *length = 0;
    return ERROR_SUCCESS;
}

} // namespace

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return OpenKey(hKey, Wide(lpSubKey), samDesired, phkResult);
}

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (lpSubKey == nullptr || *lpSubKey == '\0') {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return OpenKey(hKey, Wide(lpSubKey), MAXIMUM_ALLOWED, phkResult);
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return CreateKey(hKey, Wide(lpSubKey), samDesired, phkResult, lpdwDisposition);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (lpSubKey == nullptr || *lpSubKey == '\0') {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return CreateKey(hKey, Wide(lpSubKey), MAXIMUM_ALLOWED, phkResult, nullptr);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Value value;
    const LONG rc = QueryValue(hKey, Wide(lpValueName), value);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = value.type;
    return CopyData(AnsiData(value), lpData, lpcbData);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    if (lpData == nullptr && cbData != 0)
        return ERROR_NOACCESS;
    if (!IsStringType(dwType))
        return SetValue(hKey, Wide(lpValueName), dwType, lpData, cbData);
    const std::u16string wide =
        cbData == 0 ? std::u16string()
                    : AnsiToWide(std::string_view(reinterpret_cast<const char*>(lpData), cbData));
    const std::vector<BYTE> bytes = Utf16Bytes(wide);
    return SetValue(hKey, Wide(lpValueName), dwType, bytes.data(), bytes.size());
}

LONG WINAPI RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::u16string text;
    const LONG rc = QuerySubkeyText(hKey, Wide(lpSubKey), text);
    if (rc != ERROR_SUCCESS)
        return rc;
    const std::string ansi = WideToAnsi(text);
    std::vector<BYTE> bytes(ansi.begin(), ansi.end());
    bytes.push_back(0);
    if (lpcbData == nullptr)
        return ERROR_SUCCESS;
    DWORD size = *lpcbData < 0 ? 0 : static_cast<DWORD>(*lpcbData);
    const LONG copied = CopyData(bytes, reinterpret_cast<LPBYTE>(lpData), &size);
    *lpcbData = static_cast<LONG>(size);
    return copied;
}

LONG WINAPI RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD) {
    if (dwType != REG_SZ || lpData == nullptr)
        return ERROR_INVALID_PARAMETER;
    return SetSubkeyText(hKey, Wide(lpSubKey), AnsiToWide(lpData));
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return DeleteKey(hKey, Wide(lpSubKey), false);
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return DeleteValue(hKey, Wide(lpValueName));
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
    if (lpReserved != nullptr || lpName == nullptr || lpcchName == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::u16string name;
    LONG rc = EnumKey(hKey, dwIndex, name);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = CopyName(name, lpName, lpcchName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = FILETIME{0, 0};
    return EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || lpValueName == nullptr || lpcchValueName == nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Value value;
    LONG rc = EnumValue(hKey, dwIndex, value);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = CopyName(value.name, lpValueName, lpcchValueName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = value.type;
    return CopyData(AnsiData(value), lpData, lpcbData);
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                             LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                             LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                             LPDWORD lpcbSecurityDescriptor, LPFILETIME lpftLastWriteTime) {
    if (lpReserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    KeyInfo info;
    const LONG rc = QueryInfo(hKey, info, &kAnsiView);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpcSubKeys)
        *lpcSubKeys = info.subKeys;
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = info.maxSubKeyLength;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcValues)
        *lpcValues = info.values;
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = info.maxValueNameLength;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = info.maxValueDataBytes;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime)
        *lpftLastWriteTime = FILETIME{0, 0};
    return EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI SHDeleteKeyA(HKEY hKey, LPCSTR pszSubKey) {
    return DeleteKey(hKey, Wide(pszSubKey), true);
}

} // extern "C"
