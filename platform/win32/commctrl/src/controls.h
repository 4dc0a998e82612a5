// The window procedures of the control classes, registered by InitCommonControls(Ex).
#pragma once

#include "wintypes.h"

namespace qx::win32::commctrl {

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RichEditProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RichEditProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace qx::win32::commctrl
