// Window-system declarations the controls' headers rely on: the USER controls' and dialogs'
// declarations (the notice header of WM_NOTIFY comes with the window's), and the edit and scroll
// values the rich edit and the up-down use beyond them.
#pragma once

#include "wintypes.h"
#include "winuser_controls.h"
#include "winuser_dialog.h"
#include "winuser_message.h"
#include "winuser_window.h"

// Edit messages the rich edit answers beyond those of the USER edit control.
#ifndef EM_GETRECT
#define EM_GETRECT 0x00B2
#endif
#ifndef EM_SCROLL
#define EM_SCROLL 0x00B5
#endif
#ifndef EM_LINESCROLL
#define EM_LINESCROLL 0x00B6
#endif
#ifndef EM_SCROLLCARET
#define EM_SCROLLCARET 0x00B7
#endif
#ifndef EM_LINEINDEX
#define EM_LINEINDEX 0x00BB
#endif
#ifndef EM_LINELENGTH
#define EM_LINELENGTH 0x00C1
#endif
#ifndef EM_GETLINE
#define EM_GETLINE 0x00C4
#endif
#ifndef EM_CANUNDO
#define EM_CANUNDO 0x00C6
#endif
#ifndef EM_UNDO
#define EM_UNDO 0x00C7
#endif
#ifndef EM_LINEFROMCHAR
#define EM_LINEFROMCHAR 0x00C9
#endif
#ifndef EM_EMPTYUNDOBUFFER
#define EM_EMPTYUNDOBUFFER 0x00CD
#endif
#ifndef EM_GETFIRSTVISIBLELINE
#define EM_GETFIRSTVISIBLELINE 0x00CE
#endif

#ifndef SB_LINEUP
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8
#endif
