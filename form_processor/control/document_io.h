// The document's road in and out of the control: the file dialogs that save and load it and the
// hook that centres them; the texts the road builds are in document_text.h.
#pragma once

#include "dialog_centring.h"
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
