// ExecCommand and QueryStatus: the DECMD numbers on the editing session's commands, the
// arguments and results they take, and the dialogs of FONT and HYPERLINK.
#pragma once

#include "qx/html/editing/editing_session.h"

#include "oaidl.h"
#include "wintypes.h"

namespace qx::html::editing::control {

struct CommandContext {
    EditingSession* session = nullptr; // null while the document reloads
    HINSTANCE resources = nullptr;     // the component file with the dialogs
    HWND owner = nullptr;              // the dialogs' owner
};

// OLECMDERR_E_NOTSUPPORTED for a number the control does not know, OLECMDERR_E_DISABLED for a
// command its status disables (or no document), E_INVALIDARG for a missing or wrong argument.
HRESULT ExecEditCommand(const CommandContext& context, LONG command, LONG option, const VARIANT& argument,
                        VARIANT* result);
// DECMDF_NOTSUPPORTED for a number the control does not know; DECMDF_DISABLED with no document.
LONG QueryEditCommand(EditingSession* session, LONG command);

} // namespace qx::html::editing::control
