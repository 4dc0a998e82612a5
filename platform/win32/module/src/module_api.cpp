// The Win32 face of the loader: ANSI and UTF-16 names in, Windows results and last errors out.
#include "qx/module/ansi_text.h"
#include "qx/module/loader.h"
#include "winerror.h"
#include "winmodule.h"

#include <algorithm>
#include <cstring>

namespace {

std::u16string_view WideView(LPCWSTR text) {
    std::size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return {text, n};
}

// Copies with the truncation rule of GetModuleFileName: a short buffer gets nSize - 1 units and
// a terminator, the result is nSize and the last error ERROR_INSUFFICIENT_BUFFER.
template <class Char>
DWORD CopyPath(const std::basic_string<Char>& path, Char* buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::copy_n(path.data(), size - 1, buffer);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return qx::module::LoadModule(qx::module::AnsiToUtf8(lpLibFileName));
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return qx::module::LoadModule(qx::module::Utf16ToUtf8(WideView(lpLibFileName)));
}

BOOL FreeLibrary(HMODULE hLibModule) {
    return qx::module::FreeModule(hLibModule) ? TRUE : FALSE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    // Exports are found by name only; an ordinal (a value below 0x10000) names nothing here.
    if (lpProcName == nullptr || reinterpret_cast<UINT_PTR>(lpProcName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (!qx::module::IsModule(hModule)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* address = qx::module::FindExport(hModule, lpProcName);
    if (address == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    auto path = qx::module::ModulePath(hModule);
    if (!path) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyPath(qx::module::Utf8ToAnsi(*path), lpFilename, nSize);
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    auto path = qx::module::ModulePath(hModule);
    if (!path) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyPath(qx::module::Utf8ToUtf16(*path), lpFilename, nSize);
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    HMODULE module = qx::module::FindLoadedModule(
        lpModuleName == nullptr ? std::string() : qx::module::AnsiToUtf8(lpModuleName));
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return module;
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    HMODULE module = qx::module::FindLoadedModule(
        lpModuleName == nullptr ? std::string() : qx::module::Utf16ToUtf8(WideView(lpModuleName)));
    if (module == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return module;
}

BOOL DisableThreadLibraryCalls(HMODULE hLibModule) {
    // Thread notifications are never delivered, so there is nothing to switch off; the handle
    // must still name a module.
    if (hLibModule == nullptr || !qx::module::IsModule(hLibModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
