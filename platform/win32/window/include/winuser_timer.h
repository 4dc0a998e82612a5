// Timers: WM_TIMER messages made by GetMessage/PeekMessage when a timer of the thread is due,
// after every posted message, on the clock behind GetTickCount.
#pragma once

#include "wintypes.h"

using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

// Elapse times are clamped to this range, as on Windows.
#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);
