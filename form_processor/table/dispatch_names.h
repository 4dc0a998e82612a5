// Late-bound calls on objects the control reaches only through IDispatch (style objects, style
// sheets, selections, text ranges, page script): the name is looked up, then invoked.
#pragma once

#include <mshtml.h>
#include <oaidl.h>

#include <functional>

// Reads a property by name into *value (cleared first).
HRESULT GetPropertyByName(IDispatch* target, const OLECHAR* name, VARIANT* value);
// Writes a property by name.
HRESULT PutPropertyByName(IDispatch* target, const OLECHAR* name, const VARIANT& value);
// Calls a method by name with arguments in natural order; *result (when given) gets its answer.
HRESULT CallMethodByName(IDispatch* target, const OLECHAR* name, const VARIANT* args, UINT count,
                         VARIANT* result, LCID locale = LOCALE_USER_DEFAULT);
// The object a property holds (VT_DISPATCH), with a new reference; null when it holds none.
HRESULT GetObjectByName(IDispatch* target, const OLECHAR* name, IDispatch** object);

// A VARIANT passed by reference, read through.
const VARIANT& Dereferenced(const VARIANT& value);
// Calls visit with each element of the document's all collection, in document order.
void ForEachElement(IHTMLDocument2* document, const std::function<void(IDispatch*)>& visit);
