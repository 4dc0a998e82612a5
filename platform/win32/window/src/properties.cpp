// Window properties: handles kept under a name (compared without regard to case) or an atom.
#include <algorithm>

#include "errhandlingapi.h"
#include "window_core.h"
#include "winerror.h"

namespace qx::win32::window {
namespace {

BOOL SetProperty(HWND hwnd, const std::u16string& key, HANDLE data) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    for (auto& [name, value] : window->properties) {
        if (name == key) {
            value = data;
            return TRUE;
        }
    }
    window->properties.emplace_back(key, data);
    return TRUE;
}

HANDLE GetProperty(HWND hwnd, const std::u16string& key, bool remove) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    Window* window = FindLocked(store, hwnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto it = std::find_if(window->properties.begin(), window->properties.end(),
                           [&](const auto& property) { return property.first == key; });
    if (it == window->properties.end()) {
        return nullptr;
    }
    HANDLE value = it->second;
    if (remove) {
        window->properties.erase(it);
    }
    return value;
}

template <typename Text>
bool ValidKey(Text name) {
    return name != nullptr && (IS_INTRESOURCE(name) || name[0] != 0);
}

} // namespace
} // namespace qx::win32::window

using namespace qx::win32;
using namespace qx::win32::window;

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) {
    return ValidKey(lpString) ? GetProperty(hWnd, NameKey(lpString), false) : nullptr;
}

HANDLE WINAPI GetPropW(HWND hWnd, LPCWSTR lpString) {
    return ValidKey(lpString) ? GetProperty(hWnd, NameKey(lpString), false) : nullptr;
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
    if (!ValidKey(lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SetProperty(hWnd, NameKey(lpString), hData);
}

BOOL WINAPI SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData) {
    if (!ValidKey(lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return SetProperty(hWnd, NameKey(lpString), hData);
}

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) {
    return ValidKey(lpString) ? GetProperty(hWnd, NameKey(lpString), true) : nullptr;
}

HANDLE WINAPI RemovePropW(HWND hWnd, LPCWSTR lpString) {
    return ValidKey(lpString) ? GetProperty(hWnd, NameKey(lpString), true) : nullptr;
}
