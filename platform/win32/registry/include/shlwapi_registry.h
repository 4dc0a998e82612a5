// Shell registry helpers: deletion of a key with everything below it.
#pragma once

#include "winreg.h"

extern "C" {

// Deletes the subkey and all its subkeys and values. An empty or null subkey names hKey itself,
// which a predefined key refuses (ERROR_ACCESS_DENIED).
LONG WINAPI SHDeleteKeyA(HKEY hKey, LPCSTR pszSubKey);
LONG WINAPI SHDeleteKeyW(HKEY hKey, LPCWSTR pszSubKey);

} // extern "C"
