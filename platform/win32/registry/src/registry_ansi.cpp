// The A forms: names and string data cross the ANSI code page on their way to and from the W
// forms, which check the arguments and do the work. Sizes and lengths handed back are those of the
// code-page text.
#include "name_buffers.h"
#include "qx/win32/codepage.h"
#include "registry_core.h"
#include "registry_limits.h"
#include "shlwapi_registry.h"

#include <string>
#include <vector>

using namespace qx::registry::detail;

namespace {

// An ANSI name or text argument as a W form takes it; null stays null.
class WideArgument {
public:
    explicit WideArgument(LPCSTR text)
        : null_(text == nullptr), wide_(text ? qx::win32::AnsiToWide(text) : u"") {}
    operator LPCWSTR() const { return null_ ? nullptr : wide_.c_str(); }

private:
    bool null_;
    std::u16string wide_;
};

// String data as the A functions hand it out: the UTF-16 units converted (an odd last byte is
// dropped, as it cannot form a character).
std::vector<BYTE> AnsiData(DWORD type, const std::vector<BYTE>& data) {
    if (!IsStringType(type))
        return data;
    const std::string ansi = qx::win32::WideToAnsi(Utf16Units(data));
    return std::vector<BYTE>(ansi.begin(), ansi.end());
}

DWORD AnsiNameLength(std::u16string_view name) {
    return static_cast<DWORD>(qx::win32::WideToAnsi(name).size());
}
DWORD AnsiDataBytes(const Value& value) {
    return static_cast<DWORD>(AnsiData(value.type, value.data).size());
}
const AnsiView kAnsiView{AnsiNameLength, AnsiDataBytes};

// Reads data in full through a W form: a size query, then the read, again when the data grew in
// between (another thread or process may change it). read(data, size) is the W call.
template <class Read>
LONG ReadAll(const Read& read, std::vector<BYTE>& data) {
    data.clear();
    DWORD size = 0;
    LONG rc = read(nullptr, &size);
    while (rc == ERROR_SUCCESS && size > data.size()) {
        data.resize(size);
        rc = read(data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            rc = ERROR_SUCCESS; // size is what it needs now
        } else if (rc == ERROR_SUCCESS) {
            data.resize(size);
            break;
        }
    }
    return rc;
}

// The same, or only the arguments' check and the lookup when the caller asks for no size.
template <class Read>
LONG ReadAllWhenAsked(const Read& read, LPBYTE callerData, LPDWORD callerSize, std::vector<BYTE>& data) {
    if (callerSize == nullptr)
        return read(callerData, nullptr); // refused when data comes without a size; nothing is written
    return ReadAll(read, data);
}

} // namespace

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
    return RegOpenKeyExW(hKey, WideArgument(lpSubKey), ulOptions, samDesired, phkResult);
}

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegOpenKeyW(hKey, WideArgument(lpSubKey), phkResult);
}

LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR, DWORD dwOptions,
                            REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes,
                            PHKEY phkResult, LPDWORD lpdwDisposition) {
    return RegCreateKeyExW(hKey, WideArgument(lpSubKey), Reserved, nullptr, dwOptions, samDesired,
                           lpSecurityAttributes, phkResult, lpdwDisposition);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    return RegCreateKeyW(hKey, WideArgument(lpSubKey), phkResult);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
    const WideArgument name(lpValueName);
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG rc = ReadAllWhenAsked(
        [&](LPBYTE buffer, LPDWORD size) {
            return RegQueryValueExW(hKey, name, lpReserved, &type, buffer, size);
        },
        lpData, lpcbData, data);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = type;
    return CopyData(AnsiData(type, data), lpData, lpcbData);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
    const WideArgument name(lpValueName);
    if (!IsStringType(dwType) || lpData == nullptr)
        return RegSetValueExW(hKey, name, Reserved, dwType, lpData, cbData);
    const std::vector<BYTE> bytes =
        Utf16Bytes(qx::win32::AnsiToWide(std::string_view(reinterpret_cast<const char*>(lpData), cbData)));
    if (bytes.size() > kMaxValueDataBytes) // beyond what a value holds, and what a DWORD counts
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(hKey, name, Reserved, dwType, bytes.data(), static_cast<DWORD>(bytes.size()));
}

LONG WINAPI RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData) {
    const WideArgument subKey(lpSubKey);
    if (lpcbData == nullptr)
        return RegQueryValueW(hKey, subKey, reinterpret_cast<LPWSTR>(lpData), nullptr);
    std::vector<BYTE> bytes;
    const LONG rc = ReadAll(
        [&](LPBYTE buffer, LPDWORD size) {
            LONG room = static_cast<LONG>(*size);
            const LONG read = RegQueryValueW(hKey, subKey, reinterpret_cast<LPWSTR>(buffer), &room);
            *size = static_cast<DWORD>(room);
            return read;
        },
        bytes);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::u16string text = Utf16Units(bytes);
    text.resize(text.find(u'\0') == std::u16string::npos ? text.size() : text.find(u'\0'));
    const std::string ansi = qx::win32::WideToAnsi(text);
    std::vector<BYTE> terminated(ansi.begin(), ansi.end());
    terminated.push_back(0);
    return CopyText(terminated, reinterpret_cast<LPBYTE>(lpData), lpcbData);
}

LONG WINAPI RegSetValueA(HKEY hKey, LPCSTR lpSubKey, DWORD dwType, LPCSTR lpData, DWORD cbData) {
    return RegSetValueW(hKey, WideArgument(lpSubKey), dwType, WideArgument(lpData), cbData);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    return RegDeleteKeyW(hKey, WideArgument(lpSubKey));
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return RegDeleteValueW(hKey, WideArgument(lpValueName));
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
    WCHAR wide[kMaxKeyNameLength + 1];
    DWORD length = kMaxKeyNameLength + 1;
    LONG rc = RegEnumKeyExW(hKey, dwIndex, lpName ? wide : nullptr, lpcchName ? &length : nullptr, lpReserved,
                            nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = CopyName<char>(qx::win32::WideToAnsi(std::u16string_view(wide, length)), lpName, lpcchName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpftLastWriteTime != nullptr)
        *lpftLastWriteTime = FILETIME{0, 0};
    return EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                          LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    std::u16string name(kMaxValueNameLength + 1, u'\0');
    DWORD length = 0;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    LONG rc = ReadAllWhenAsked(
        [&](LPBYTE buffer, LPDWORD size) {
            length = static_cast<DWORD>(name.size());
            return RegEnumValueW(hKey, dwIndex, lpValueName ? name.data() : nullptr,
                                 lpcchValueName ? &length : nullptr, lpReserved, &type, buffer, size);
        },
        lpData, lpcbData, data);
    if (rc != ERROR_SUCCESS)
        return rc;
    name.resize(length);
    rc = CopyName<char>(qx::win32::WideToAnsi(name), lpValueName, lpcchValueName);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (lpType != nullptr)
        *lpType = type;
    return CopyData(AnsiData(type, data), lpData, lpcbData);
}

LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                             LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                             LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                             LPDWORD lpcbSecurityDescriptor, LPFILETIME lpftLastWriteTime) {
    const LONG rc =
        QueryInfoKey(hKey, lpReserved, &kAnsiView, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                     lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime);
    return rc != ERROR_SUCCESS ? rc : EmptyClass(lpClass, lpcchClass);
}

LONG WINAPI SHDeleteKeyA(HKEY hKey, LPCSTR pszSubKey) {
    return SHDeleteKeyW(hKey, WideArgument(pszSubKey));
}

} // extern "C"
