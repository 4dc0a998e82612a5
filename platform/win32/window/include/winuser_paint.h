// Update regions of windows. A headless window keeps the bounding rectangle of what was
// invalidated; WM_PAINT is made by GetMessage/PeekMessage for a window that has one, after
// posted messages and before timers. Drawing itself (device contexts, BeginPaint/EndPaint) is
// the GDI's, which takes the update region through qx/win32/window_internals.h.
#pragma once

#include "wintypes.h"

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
BOOL WINAPI UpdateWindow(HWND hWnd);
