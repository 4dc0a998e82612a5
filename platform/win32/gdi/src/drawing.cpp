// Lines and rectangles on the overlay plane of a device context's window.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "gdi_state.h"
#include "overlay_plane.h"
#include "raster.h"
#include "wingdi.h"
#include "winuser_position.h"

namespace qx::win32 {
namespace {

// What one drawing call needs of its device context, copied out under the lock.
struct Stroke {
    HWND hwnd = nullptr;
    DcKind kind = DcKind::Client;
    int rop2 = R2_COPYPEN;
    std::optional<bool> penWhite;   // none for a null pen
    std::optional<bool> brushWhite; // none for a hollow brush
    int mapMode = MM_TEXT;
    SIZE windowExtent{1, 1};
    SIZE viewportExtent{1, 1};
};

std::optional<bool> InkOf(HGDIOBJ handle) {
    GdiObject* object = FindObject(handle);
    if (object == nullptr || object->style == PS_NULL) {
        return std::nullopt;
    }
    return IsWhite(object->color);
}

Stroke StrokeOf(const DcState& dc) {
    return {dc.hwnd,         dc.kind,    dc.rop2,         InkOf(dc.pen),
            InkOf(dc.brush), dc.mapMode, dc.windowExtent, dc.viewportExtent};
}

LONG Scale(LONG value, LONG numerator, LONG denominator) {
    std::int64_t scaled = static_cast<std::int64_t>(value) * numerator / denominator;
    return static_cast<LONG>(std::clamp<std::int64_t>(scaled, INT32_MIN, INT32_MAX));
}

// Logical to plane coordinates: the mapping mode's scale, then the window frame for a window
// device context.
POINT ToPlane(const Stroke& stroke, POINT logical) {
    POINT device = logical;
    if (stroke.mapMode != MM_TEXT) {
        device.x = Scale(logical.x, stroke.viewportExtent.cx, stroke.windowExtent.cx);
        device.y = Scale(logical.y, stroke.viewportExtent.cy, stroke.windowExtent.cy);
    }
    if (stroke.kind == DcKind::Window) {
        RECT frame{};
        POINT client{0, 0};
        if (GetWindowRect(stroke.hwnd, &frame) && ClientToScreen(stroke.hwnd, &client)) {
            device.x -= client.x - frame.left;
            device.y -= client.y - frame.top;
        }
    }
    return device;
}

// Runs `draw` on the plane of the stroke's window; a device context of the screen has nothing to
// draw on and succeeds.
template <typename Draw>
BOOL OnPlane(const Stroke& stroke, Draw draw) {
    if (stroke.kind == DcKind::Screen) {
        return TRUE;
    }
    auto plane = PlaneOf(stroke.hwnd);
    if (!plane) {
        return FALSE;
    }
    std::lock_guard guard(plane->lock);
    draw(*plane);
    return TRUE;
}

PixelVisitor Painter(OverlayPlane& plane, int rop2, bool white) {
    return [&plane, rop2, white](int x, int y) {
        std::uint8_t& bit = plane.bits[static_cast<std::size_t>(y) * plane.width + x];
        bit = ApplyRop2(rop2, white, bit != 0) ? 1 : 0;
    };
}

} // namespace
} // namespace qx::win32

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return qx::win32::WithDc(hdc, FALSE, [=](qx::win32::DcState& dc) {
        if (lppt != nullptr) {
            *lppt = dc.position;
        }
        dc.position = {x, y};
        return TRUE;
    });
}

BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
    return qx::win32::WithDc(hdc, FALSE, [lppt](qx::win32::DcState& dc) {
        return lppt != nullptr ? (*lppt = dc.position, TRUE) : FALSE;
    });
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    using namespace qx::win32;
    Stroke stroke;
    POINT from{};
    {
        std::lock_guard guard(GdiLock());
        DcState* dc = LiveDc(hdc);
        if (dc == nullptr) {
            return FALSE;
        }
        stroke = StrokeOf(*dc);
        from = dc->position;
        dc->position = {x, y};
    }
    return OnPlane(stroke, [&](OverlayPlane& plane) {
        if (stroke.penWhite) {
            VisitLine(ToPlane(stroke, from), ToPlane(stroke, {x, y}), plane.width, plane.height,
                      Painter(plane, stroke.rop2, *stroke.penWhite));
        }
    });
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    using namespace qx::win32;
    Stroke stroke;
    {
        std::lock_guard guard(GdiLock());
        DcState* dc = LiveDc(hdc);
        if (dc == nullptr) {
            return FALSE;
        }
        stroke = StrokeOf(*dc);
    }
    POINT topLeft = ToPlane(stroke, {left, top});
    POINT bottomRight = ToPlane(stroke, {right, bottom});
    RECT box = Normalized({topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
    return OnPlane(stroke, [&](OverlayPlane& plane) {
        bool outlined = stroke.penWhite.has_value();
        if (stroke.brushWhite) {
            VisitRectangleInside(box, outlined, plane.width, plane.height,
                                 Painter(plane, stroke.rop2, *stroke.brushWhite));
        }
        if (outlined) {
            VisitRectangleOutline(box, plane.width, plane.height,
                                  Painter(plane, stroke.rop2, *stroke.penWhite));
        }
    });
}
