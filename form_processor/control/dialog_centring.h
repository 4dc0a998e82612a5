// Centring of the control's dialogs over their owners: the file dialogs' hook and the same
// centring for the control's other dialogs.
#pragma once

#include <windows.h>

// Moves window so that its frame is centred over the frame of over; size and Z order are kept.
void CenterWindowOver(HWND window, HWND over);

// Hook of both file dialogs: on WM_INITDIALOG centres the dialog frame (the hook's parent) over
// the owner of its OPENFILENAME record. Answers 0 to every message.
UINT_PTR CALLBACK CenterFileDialog(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
