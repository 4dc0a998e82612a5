// The W forms: UTF-16 names and data, passed through unchanged. The A forms convert and come
// here.
#include "name_buffers.h"
#include "registry_core.h"
#include "shlwapi_registry.h"

using namespace qx::registry::detail;

namespace {

std::u16string_view View(LPCWSTR text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

extern "C" {

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return OpenKey(hKey, View(lpSubKey), samDesired, phkResult);
}

LONG WINAPI RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (lpSubKey == nullptr || *lpSubKey == u'\0') {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return OpenKey(hKey, View(lpSubKey), MAXIMUM_ALLOWED, phkResult);
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return CreateKey(hKey, View(lpSubKey), samDesired, phkResult, lpdwDisposition);
}

LONG WINAPI RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (lpSubKey == nullptr || *lpSubKey == u'\0') {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    return CreateKey(hKey, View(lpSubKey), MAXIMUM_ALLOWED, phkResult, nullptr);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    return CloseKey(hKey);
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Value value;
    const LONG rc = QueryValue(hKey, View(lpValueName), value);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = value.type;
    return CopyData(value.data, lpData, lpcbData);
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    return SetValue(hKey, View(lpValueName), dwType, lpData, cbData);
}

LONG WINAPI RegQueryValueW(HKEY hKey, LPCWSTR lpSubKey, LPWSTR lpData, PLONG lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::u16string text;
    const LONG rc = QuerySubkeyText(hKey, View(lpSubKey), text);
    if (rc != ERROR_SUCCESS)
        return rc;
    text += u'\0';
    return CopyText(Utf16Bytes(text), reinterpret_cast<LPBYTE>(lpData), lpcbData);
}

LONG WINAPI RegSetValueW(HKEY hKey, LPCWSTR lpSubKey, DWORD dwType, LPCWSTR lpData, DWORD) {
    if (dwType != REG_SZ || lpData == nullptr)
        return ERROR_INVALID_PARAMETER;
    return SetSubkeyText(hKey, View(lpSubKey), View(lpData));
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return DeleteKey(hKey, View(lpSubKey), false);
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return DeleteValue(hKey, View(lpValueName));
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPWSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
    if (lpReserved != nullptr || lpName == nullptr || lpcchName == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::u16string name;
    LONG rc = EnumKey(hKey, dwIndex, name);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = CopyName<WCHAR>(name, lpName, lpcchName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = FILETIME{0, 0};
    return EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || lpValueName == nullptr || lpcchValueName == nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Value value;
    LONG rc = EnumValue(hKey, dwIndex, value);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = CopyName<WCHAR>(value.name, lpValueName, lpcchValueName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = value.type;
    return CopyData(value.data, lpData, lpcbData);
}

LONG WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                             LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                             LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                             LPDWORD lpcbSecurityDescriptor, LPFILETIME lpftLastWriteTime) {
    const LONG rc =
        QueryInfoKey(hKey, lpReserved, nullptr, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                     lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime);
    return rc != ERROR_SUCCESS ? rc : EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI SHDeleteKeyW(HKEY hKey, LPCWSTR pszSubKey) {
    return DeleteKey(hKey, View(pszSubKey), true);
}

} // extern "C"
