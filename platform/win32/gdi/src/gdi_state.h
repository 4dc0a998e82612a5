// The GDI's handle tables: device contexts and pens and brushes (the stock ones among them).
// Handles never repeat, so a released device context stays dead: using it fails and is counted.
#pragma once

#include <cstdint>
#include <mutex>

#include "wingdi.h"

namespace qx::win32 {

enum class DcKind { Client, Window, Screen };

struct GdiObject {
    DWORD type = 0;       // OBJ_PEN or OBJ_BRUSH
    int style = PS_SOLID; // pens; brushes are solid or, as NULL_BRUSH, hollow (PS_NULL)
    COLORREF color = 0;
    bool stock = false;
};

struct DcState {
    HWND hwnd = nullptr;
    DcKind kind = DcKind::Client;
    int rop2 = R2_COPYPEN;
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    POINT position{};
    int mapMode = MM_TEXT;
    SIZE windowExtent{1, 1};
    SIZE viewportExtent{1, 1};
};

// Every table access holds this lock.
std::mutex& GdiLock();

HDC AddDc(HWND hwnd, DcKind kind);
// The state of a live device context, null (counted, ERROR_INVALID_HANDLE) for a released or
// unknown one.
DcState* LiveDc(HDC hdc);
void CountDeadDcUse();
void RemoveDc(HDC hdc);

// Runs `use` on a live device context under the lock; `failure` (counted) for a dead one.
template <typename Result, typename Use>
Result WithDc(HDC hdc, Result failure, Use use) {
    std::lock_guard guard(GdiLock());
    DcState* dc = LiveDc(hdc);
    return dc != nullptr ? use(*dc) : failure;
}

HGDIOBJ AddObject(const GdiObject& object);
// A live pen or brush; null for anything else.
GdiObject* FindObject(HGDIOBJ handle);
void RemoveObject(HGDIOBJ handle);
HGDIOBJ StockObject(int index);
// Whether a live device context has the object selected.
bool IsSelected(HGDIOBJ handle);

} // namespace qx::win32
