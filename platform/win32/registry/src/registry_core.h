// The registry operations on UTF-16 names and raw value data, shared by the A and W functions.
#pragma once

#include "key_tree.h"
#include "winreg.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx::registry::detail {

// How the A functions see names and string data; null for the W functions.
struct AnsiView {
    DWORD (*nameLength)(std::u16string_view name);
    DWORD (*dataBytes)(const Value& value);
};

LONG OpenKey(HKEY parent, std::u16string_view subKey, REGSAM access, HKEY* result);
LONG CreateKey(HKEY parent, std::u16string_view subKey, REGSAM access, HKEY* result, DWORD* disposition);
LONG CloseKey(HKEY key);
LONG QueryValue(HKEY key, std::u16string_view name, Value& value);
LONG SetValue(HKEY key, std::u16string_view name, DWORD type, const BYTE* data, std::size_t size);
LONG DeleteKey(HKEY key, std::u16string_view subKey, bool withSubtree);
LONG DeleteValue(HKEY key, std::u16string_view name);
LONG EnumKey(HKEY key, DWORD index, std::u16string& name);
LONG EnumValue(HKEY key, DWORD index, Value& value);
// RegQueryInfoKey without the class: the longest names and data are counted in the units of the
// calling form (UTF-16 units, or code-page bytes through the AnsiView).
LONG QueryInfoKey(HKEY key, LPDWORD reserved, const AnsiView* ansi, LPDWORD subKeys, LPDWORD maxSubKeyLength,
                  LPDWORD maxClassLength, LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueBytes,
                  LPDWORD securityDescriptorBytes, LPFILETIME lastWriteTime);
// Sets the default value of a subkey (made when missing) to a REG_SZ text, as RegSetValue does.
LONG SetSubkeyText(HKEY key, std::u16string_view subKey, std::u16string_view text);
// Reads the default value of a subkey as text ("" when unset), as RegQueryValue does.
LONG QuerySubkeyText(HKEY key, std::u16string_view subKey, std::u16string& text);

// Buffer protocols shared by the forms.
LONG CopyData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD size);
// The same for RegQueryValue, whose size is a LONG.
LONG CopyText(const std::vector<BYTE>& bytes, LPBYTE data, PLONG size);
std::vector<BYTE> Utf16Bytes(std::u16string_view text);
std::u16string Utf16Units(const std::vector<BYTE>& bytes);
bool IsStringType(DWORD type);

} // namespace qx::registry::detail
