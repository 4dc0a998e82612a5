// Device capabilities of the headless screen and the mapping modes of device contexts.
#include "gdi_state.h"
#include "qx/win32/window_internals.h"
#include "wingdi.h"

namespace qx::win32 {
namespace {

constexpr int kPixelsPerInch = 96;

// Logical units per inch of the fixed mapping modes.
int UnitsPerInch(int mode) {
    switch (mode) {
    case MM_LOMETRIC:
        return 254;
    case MM_HIMETRIC:
        return 2540;
    case MM_LOENGLISH:
        return 100;
    case MM_HIENGLISH:
        return 1000;
    case MM_TWIPS:
        return 1440;
    default:
        return 0;
    }
}

// The extents of a fixed mapping mode: the screen's size in the mode's units over its size
// in pixels, y growing upwards.
void SetFixedExtents(DcState& dc, int mode) {
    int units = UnitsPerInch(mode);
    dc.windowExtent = {MulDiv(kScreenWidth, units, kPixelsPerInch),
                       MulDiv(kScreenHeight, units, kPixelsPerInch)};
    dc.viewportExtent = {kScreenWidth, -kScreenHeight};
}

} // namespace
} // namespace qx::win32

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    using namespace qx::win32;
    if (!WithDc(hdc, false, [](DcState&) { return true; })) {
        return 0;
    }
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return MulDiv(kScreenWidth, 254, kPixelsPerInch * 10);
    case VERTSIZE:
        return MulDiv(kScreenHeight, 254, kPixelsPerInch * 10);
    case HORZRES:
        return kScreenWidth;
    case VERTRES:
        return kScreenHeight;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kPixelsPerInch;
    default:
        return 0;
    }
}

int WINAPI GetMapMode(HDC hdc) {
    return qx::win32::WithDc(hdc, 0, [](qx::win32::DcState& dc) { return dc.mapMode; });
}

int WINAPI SetMapMode(HDC hdc, int iMode) {
    using namespace qx::win32;
    if (iMode < MM_TEXT || iMode > MM_ANISOTROPIC) {
        return 0;
    }
    return WithDc(hdc, 0, [iMode](DcState& dc) {
        int previous = dc.mapMode;
        dc.mapMode = iMode;
        if (iMode == MM_TEXT) {
            dc.windowExtent = {1, 1};
            dc.viewportExtent = {1, 1};
        } else if (iMode == MM_ISOTROPIC) {
            SetFixedExtents(dc, MM_LOMETRIC); // the isotropic mode starts from the metric scale
        } else if (iMode != MM_ANISOTROPIC) {
            SetFixedExtents(dc, iMode); // the anisotropic mode keeps the extents it finds
        }
        return previous;
    });
}

BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE lpsize) {
    return qx::win32::WithDc(hdc, FALSE, [lpsize](qx::win32::DcState& dc) {
        return lpsize != nullptr ? (*lpsize = dc.windowExtent, TRUE) : FALSE;
    });
}

BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE lpsize) {
    return qx::win32::WithDc(hdc, FALSE, [lpsize](qx::win32::DcState& dc) {
        return lpsize != nullptr ? (*lpsize = dc.viewportExtent, TRUE) : FALSE;
    });
}
