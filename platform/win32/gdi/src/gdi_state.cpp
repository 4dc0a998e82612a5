#include "gdi_state.h"

#include <atomic>
#include <map>

#include "errhandlingapi.h"
#include "qx/win32/overlay.h"
#include "winerror.h"

namespace qx::win32 {
namespace {

// Handles are numbers that never repeat within a table, apart in two ranges for the two kinds.
constexpr std::uintptr_t kDcBase = 0x10000000;
constexpr std::uintptr_t kObjectBase = 0x20000000;
constexpr int kStockCount = NULL_PEN + 1;

std::atomic<int> g_deadDcUses{0};

struct Tables {
    std::map<std::uintptr_t, DcState> dcs;
    std::uintptr_t nextDc = kDcBase;
    std::map<std::uintptr_t, GdiObject> objects;
    std::uintptr_t nextObject = kObjectBase;
    HGDIOBJ stock[kStockCount] = {};

    Tables() {
        const GdiObject stockObjects[kStockCount] = {{OBJ_BRUSH, PS_SOLID, RGB(255, 255, 255), true},
                                                     {OBJ_BRUSH, PS_SOLID, RGB(192, 192, 192), true},
                                                     {OBJ_BRUSH, PS_SOLID, RGB(128, 128, 128), true},
                                                     {OBJ_BRUSH, PS_SOLID, RGB(64, 64, 64), true},
                                                     {OBJ_BRUSH, PS_SOLID, RGB(0, 0, 0), true},
                                                     {OBJ_BRUSH, PS_NULL, 0, true},
                                                     {OBJ_PEN, PS_SOLID, RGB(255, 255, 255), true},
                                                     {OBJ_PEN, PS_SOLID, RGB(0, 0, 0), true},
                                                     {OBJ_PEN, PS_NULL, 0, true}};
        for (int i = 0; i < kStockCount; ++i) {
            stock[i] = Insert(stockObjects[i]);
        }
    }

    HGDIOBJ Insert(const GdiObject& object) {
        nextObject += 4;
        objects[nextObject] = object;
        return reinterpret_cast<HGDIOBJ>(nextObject);
    }
};

Tables& TheTables() {
    static auto* tables = new Tables;
    return *tables;
}

} // namespace

std::mutex& GdiLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

HDC AddDc(HWND hwnd, DcKind kind) {
    Tables& tables = TheTables();
    tables.nextDc += 4;
    DcState& dc = tables.dcs[tables.nextDc];
    dc.hwnd = hwnd;
    dc.kind = kind;
    dc.pen = tables.stock[BLACK_PEN];
    dc.brush = tables.stock[WHITE_BRUSH];
    return reinterpret_cast<HDC>(tables.nextDc);
}

void CountDeadDcUse() {
    g_deadDcUses.fetch_add(1);
    SetLastError(ERROR_INVALID_HANDLE);
}

DcState* LiveDc(HDC hdc) {
    Tables& tables = TheTables();
    auto found = tables.dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
    if (found == tables.dcs.end()) {
        CountDeadDcUse();
        return nullptr;
    }
    return &found->second;
}

void RemoveDc(HDC hdc) {
    TheTables().dcs.erase(reinterpret_cast<std::uintptr_t>(hdc));
}

HGDIOBJ AddObject(const GdiObject& object) {
    return TheTables().Insert(object);
}

GdiObject* FindObject(HGDIOBJ handle) {
    Tables& tables = TheTables();
    auto found = tables.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == tables.objects.end() ? nullptr : &found->second;
}

void RemoveObject(HGDIOBJ handle) {
    TheTables().objects.erase(reinterpret_cast<std::uintptr_t>(handle));
}

HGDIOBJ StockObject(int index) {
    return index >= 0 && index < kStockCount ? TheTables().stock[index] : nullptr;
}

bool IsSelected(HGDIOBJ handle) {
    for (const auto& [id, dc] : TheTables().dcs) {
        if (dc.pen == handle || dc.brush == handle) {
            return true;
        }
    }
    return false;
}

int DeadDcUseCount() {
    return g_deadDcUses.load();
}

} // namespace qx::win32
