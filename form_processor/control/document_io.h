// The document's road in and out of the control: the file dialogs that save and load it, the hook
// that centres them, and the texts the road builds (load URLs, line breaks, normalised sources).
#pragma once

#include <qx/com/variant.h>
#include <windows.h>

#include <string>
#include <string_view>

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

// "file://" followed by path, with "%", "#" and "?" escaped so that the platform reads them as
// part of the name; any other path is appended unchanged.
std::string FileUrlForPath(std::string_view path);

// Every LF not preceded by CR becomes CR LF; other bytes stay.
std::string NormaliseLineBreaks(std::string_view text);

// An image source or background as it is saved: "file://" (case ignored) not followed by "/"
// gains the third slash, and every backslash becomes a slash.
std::string NormaliseSource(std::string_view source);
