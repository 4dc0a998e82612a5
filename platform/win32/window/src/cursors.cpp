// Cursors: the system cursors and the cursor resources of modules. A cursor handle names a
// cursor; loading the same one twice gives the same handle (cursors are shared, so
// DestroyCursor leaves them). SetCursor records which cursor the screen shows.
#include <map>
#include <mutex>

#include "errhandlingapi.h"
#include "qx/resource/resource_set.h"
#include "qx/win32/cursor_group.h"
#include "qx/win32/window_internals.h"
#include "winerror.h"
#include "winresource.h"
#include "winuser_input.h"

namespace {

using qx::win32::CursorIdentity;

struct CursorTable {
    std::mutex lock;
    std::map<HCURSOR, CursorIdentity> byHandle;
    ULONG_PTR nextHandle = 0x20010;
    HCURSOR current = nullptr;
    bool currentChosen = false;
};

CursorTable& Table() {
    static auto* table = new CursorTable;
    return *table;
}

constexpr WORD kSystemCursors[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                   32644, 32645, 32646, 32648, 32649, 32650, 32651};

HCURSOR HandleFor(const CursorIdentity& identity) {
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    for (auto& [handle, known] : table.byHandle) {
        if (known == identity) {
            return handle;
        }
    }
    auto handle = reinterpret_cast<HCURSOR>(table.nextHandle);
    table.nextHandle += 4;
    table.byHandle.emplace(handle, identity);
    return handle;
}

// A cursor group whose images are all present, each holding at least its hot spot.
bool ValidGroup(HMODULE module, HRSRC group) {
    DWORD size = SizeofResource(module, group);
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    if (data == nullptr) {
        return false;
    }
    std::optional<std::vector<WORD>> images = qx::win32::ParseCursorGroup(std::span<const BYTE>(data, size));
    if (!images) {
        return false;
    }
    for (WORD id : *images) {
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_CURSOR));
        if (image == nullptr || SizeofResource(module, image) < 4) {
            return false;
        }
    }
    return true;
}

// System cursors are known by their IDC_ number only.
template <typename Text>
HCURSOR LoadSystemCursor(Text name) {
    auto id = reinterpret_cast<ULONG_PTR>(name);
    for (WORD known : kSystemCursors) {
        if (!IS_INTRESOURCE(name)) {
            break;
        }
        if (known == id) {
            return HandleFor(CursorIdentity{nullptr, known, {}});
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR LoadModuleCursor(HINSTANCE module, LPCWSTR name) {
    HRSRC group = FindResourceW(module, name, reinterpret_cast<LPCWSTR>(RT_GROUP_CURSOR));
    if (group == nullptr) {
        return nullptr; // FindResource said why
    }
    if (!ValidGroup(module, group)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    std::optional<qx::resource::ResourceId> id = qx::resource::ResourceId::FromWide(name);
    if (!id) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return HandleFor(CursorIdentity{module, id->id, id->name});
}

} // namespace

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (lpCursorName == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (hInstance == nullptr) {
        return LoadSystemCursor(lpCursorName);
    }
    std::optional<qx::resource::ResourceId> id = qx::resource::ResourceId::FromAnsi(lpCursorName);
    if (!id) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::u16string name = id->IsNamed() ? id->name : std::u16string();
    return LoadModuleCursor(hInstance, id->IsNamed() ? name.c_str() : MAKEINTRESOURCEW(id->id));
}

HCURSOR WINAPI LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
    if (lpCursorName == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (hInstance == nullptr) {
        return LoadSystemCursor(lpCursorName);
    }
    return LoadModuleCursor(hInstance, lpCursorName);
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
    HCURSOR arrow = LoadSystemCursor(IDC_ARROW);
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    if (hCursor != nullptr && table.byHandle.count(hCursor) == 0) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return nullptr;
    }
    HCURSOR previous = table.currentChosen ? table.current : arrow;
    table.current = hCursor;
    table.currentChosen = true;
    return previous;
}

HCURSOR WINAPI GetCursor() {
    // The screen starts with the arrow.
    HCURSOR arrow = LoadSystemCursor(IDC_ARROW);
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    return table.currentChosen ? table.current : arrow;
}

BOOL WINAPI DestroyCursor(HCURSOR hCursor) {
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    if (table.byHandle.count(hCursor) == 0) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    return TRUE;
}

std::optional<CursorIdentity> qx::win32::DescribeCursor(HCURSOR cursor) {
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.byHandle.find(cursor);
    if (it == table.byHandle.end()) {
        return std::nullopt;
    }
    return it->second;
}
