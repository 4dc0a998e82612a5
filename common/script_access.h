// Reaching a page's script engine and calling its global functions.
#pragma once

#include <oaidl.h>

// The script object of an HTML document (with the reference get_Script gave), or NULL.
IDispatch* GetDocumentScript(IDispatch* document);

// Calls the script function name with one argument; does nothing when script is NULL, and
// ignores every error (a page without the function simply gets no call).
void CallScriptFunction(const VARIANT& argument, const OLECHAR* name, IDispatch* script);
