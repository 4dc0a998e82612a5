// Window classes. A local class belongs to the module that registered it and is found only
// for that module; a global one (CS_GLOBALCLASS) for every module. Lookups try the module's
// local classes, then the global ones.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "errhandlingapi.h"
#include "qx/win32/codepage.h"
#include "qx/win32/window_internals.h"
#include "window_core.h"
#include "winerror.h"

namespace qx::win32::window {
namespace {

std::shared_ptr<WindowClass> FindClassLocked(Store& store, const std::u16string& key, HINSTANCE instance,
                                             bool exactInstance) {
    auto matches = [&](const std::shared_ptr<WindowClass>& c) {
        return c->key == key || AtomKey(c->atom) == key;
    };
    for (auto& c : store.classes) {
        if (!c->global && !c->system && c->instance == instance && matches(c)) {
            return c;
        }
    }
    for (auto& c : store.classes) {
        if ((c->global || c->system) && matches(c) && (!exactInstance || c->instance == instance)) {
            return c;
        }
    }
    return nullptr;
}

template <typename ClassInfo, typename Text>
ATOM Register(const ClassInfo* info, bool wide, Text menuName, std::u16string name) {
    if (info == nullptr || info->cbSize != sizeof(ClassInfo) || info->lpfnWndProc == nullptr ||
        info->cbClsExtra < 0 || info->cbWndExtra < 0 || info->cbWndExtra > 40000 || name.empty() ||
        name.size() > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto made = std::make_shared<WindowClass>();
    made->name = std::move(name);
    made->key = FoldCase(made->name);
    made->style = info->style;
    made->procedure = ResolveProcedure(info->lpfnWndProc, wide);
    made->classExtra = info->cbClsExtra;
    made->windowExtra = info->cbWndExtra;
    made->instance = info->hInstance;
    made->icon = info->hIcon;
    made->smallIcon = info->hIconSm;
    made->cursor = info->hCursor;
    made->background = info->hbrBackground;
    made->global = (info->style & CS_GLOBALCLASS) != 0;
    if (IS_INTRESOURCE(menuName)) {
        made->menuId = reinterpret_cast<LPCSTR>(menuName);
    } else if constexpr (std::is_same_v<Text, LPCWSTR>) {
        made->menuNameWide = menuName;
        made->menuNameAnsi = WideToAnsi(made->menuNameWide);
    } else {
        made->menuNameAnsi = menuName;
        made->menuNameWide = AnsiToWide(made->menuNameAnsi);
    }
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    for (auto& c : store.classes) {
        bool clash =
            c->key == made->key && (c->system || c->global || made->global || c->instance == made->instance);
        if (clash) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    if (store.nextAtom == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    made->atom = store.nextAtom++;
    store.classes.push_back(made);
    return made->atom;
}

BOOL Unregister(const std::u16string& key, HINSTANCE instance) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    std::shared_ptr<WindowClass> found = FindClassLocked(store, key, instance, true);
    if (!found || found->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (found->windows != 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase(store.classes, found);
    return TRUE;
}

template <typename ClassInfo, typename Text>
BOOL Describe(HINSTANCE instance, const std::u16string& key, ClassInfo* info, Text given, bool wide) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    std::shared_ptr<WindowClass> found = FindClassLocked(store, key, instance, false);
    if (!found || found->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    info->style = found->style;
    info->lpfnWndProc = ProcedureValue(found->procedure, wide);
    info->cbClsExtra = found->classExtra;
    info->cbWndExtra = found->windowExtra;
    info->hInstance = found->instance;
    info->hIcon = found->icon;
    info->hIconSm = found->smallIcon;
    info->hCursor = found->cursor;
    info->hbrBackground = found->background;
    info->lpszClassName = given;
    if (found->menuId != nullptr) {
        info->lpszMenuName = reinterpret_cast<Text>(found->menuId);
    } else if constexpr (std::is_same_v<Text, LPCWSTR>) {
        info->lpszMenuName = found->menuNameWide.empty() ? nullptr : found->menuNameWide.c_str();
    } else {
        info->lpszMenuName = found->menuNameAnsi.empty() ? nullptr : found->menuNameAnsi.c_str();
    }
    return found->atom;
}

} // namespace

namespace {

std::atomic<bool (*)()> g_registrars[kMaxSystemClassRegistrars];
std::atomic<int> g_registrarCount{0};

} // namespace

void RunSystemClassRegistrars() {
    // Once per process; a thread that comes while another runs them waits until they are done.
    static std::once_flag once;
    std::call_once(once, [] {
        int count = std::min(g_registrarCount.load(), kMaxSystemClassRegistrars);
        for (int i = 0; i < count; ++i) {
            if (auto registrar = g_registrars[i].load()) {
                registrar();
            }
        }
    });
}

std::shared_ptr<WindowClass> FindClassForCreation(const std::u16string& key, HINSTANCE instance) {
    Store& store = TheStore();
    std::lock_guard guard(store.lock);
    auto found = FindClassLocked(store, key, instance, false);
    return found && !found->system ? found : nullptr;
}

} // namespace qx::win32::window

namespace qx::win32 {

bool AddSystemClassRegistrar(bool (*registrar)()) {
    int slot = window::g_registrarCount.fetch_add(1);
    if (slot >= kMaxSystemClassRegistrars) {
        return false;
    }
    window::g_registrars[slot].store(registrar);
    return true;
}

} // namespace qx::win32

using namespace qx::win32;
using namespace qx::win32::window;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpwcx) {
    if (lpwcx == nullptr || lpwcx->lpszClassName == nullptr || IS_INTRESOURCE(lpwcx->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(lpwcx, false, lpwcx->lpszMenuName, qx::win32::AnsiToWide(lpwcx->lpszClassName));
}

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* lpwcx) {
    if (lpwcx == nullptr || lpwcx->lpszClassName == nullptr || IS_INTRESOURCE(lpwcx->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(lpwcx, true, lpwcx->lpszMenuName, std::u16string(lpwcx->lpszClassName));
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    if (lpClassName == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return Unregister(NameKey(lpClassName), hInstance);
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
    if (lpClassName == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return Unregister(NameKey(lpClassName), hInstance);
}

BOOL WINAPI GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx) {
    if (lpszClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return Describe(hInstance, NameKey(lpszClass), lpwcx, lpszClass, false);
}

BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx) {
    if (lpszClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return Describe(hInstance, NameKey(lpszClass), lpwcx, lpszClass, true);
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window || lpClassName == nullptr || nMaxCount <= 0) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::string name = qx::win32::WideToAnsi(window->windowClass->name);
    size_t count = std::min(name.size(), static_cast<size_t>(nMaxCount) - 1);
    std::memcpy(lpClassName, name.data(), count);
    lpClassName[count] = '\0';
    return static_cast<int>(count);
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
    std::shared_ptr<Window> window = FindWindow(hWnd);
    if (!window || lpClassName == nullptr || nMaxCount <= 0) {
        SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const std::u16string& name = window->windowClass->name;
    size_t count = std::min(name.size(), static_cast<size_t>(nMaxCount) - 1);
    std::memcpy(lpClassName, name.data(), count * sizeof(WCHAR));
    lpClassName[count] = u'\0';
    return static_cast<int>(count);
}

std::u16string qx::win32::GetWindowClassName(HWND hwnd) {
    std::shared_ptr<Window> window = FindWindow(hwnd);
    return window ? window->windowClass->name : std::u16string();
}
