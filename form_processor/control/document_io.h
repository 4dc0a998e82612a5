// The document's road in and out of the control: the file dialogs that save and load it and the
// hook that centres them; the texts the road builds are in document_text.h.
#pragma once

#include "document_text.h"

#include <qx/com/variant.h>
#include <windows.h>

class CVelkor;

// FPID_SAVE_DOCUMENT: asks for a file name and writes the document there, as MHT when the title
// ends in ".mht" (case ignored) and as HTML otherwise. VT_BOOL true when a file was chosen and
// written; false on cancel, a "No" to the overwrite prompt, or a text, create, write or rename
// failure. The old file stays byte for byte on every failure.
qx::com::Variant SaveDocumentDialog(CVelkor& control);

// FPID_LOAD_DOCUMENT: asks for an existing file and starts loading it (LoadURL with the
// escaped "file://" URL). VT_BOOL true when a file was chosen, false on cancel.
qx::com::Variant LoadDocumentDialog(CVelkor& control);

// Moves window so that its frame is centred over the frame of over; size and Z order are kept.
void CenterWindowOver(HWND window, HWND over);

// Hook of both file dialogs: on WM_INITDIALOG centres the dialog frame (the hook's parent) over
// the owner of its OPENFILENAME record. Answers 0 to every message.
UINT_PTR CALLBACK CenterFileDialog(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
