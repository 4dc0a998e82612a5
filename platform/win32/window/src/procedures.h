// Calling window procedures: the values that stand for a procedure of the other character set
// (what GetWindowLongPtrA returns for a Unicode procedure), and the conversion of text
// messages between an ANSI caller and a Unicode procedure or the other way round.
#pragma once

#include <string_view>

#include "window_store.h"

namespace qx::win32::window {

// The procedure a value of GWLP_WNDPROC or of CallWindowProc stands for; a plain function is
// taken in the caller's character set.
Procedure ResolveProcedure(WNDPROC value, bool wideCaller);
// The value a caller of the given character set sees for a procedure.
WNDPROC ProcedureValue(const Procedure& procedure, bool wideCaller);

// Copies whole characters of `text`, converted to ANSI, into a buffer of `capacity` bytes (the
// null included): never half a double-byte character. Returns the bytes copied.
LRESULT CopyTextAsAnsi(std::u16string_view text, char* buffer, size_t capacity);

// Calls the procedure with a message given in the caller's character set.
LRESULT CallProcedure(const Procedure& procedure, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                      bool wideCaller);

} // namespace qx::win32::window
