// The parameter objects of two commands: the block-format-names object that
// DECMD_GETBLOCKFMTNAMES fills, and the table-parameter object that DECMD_INSERTTABLE reads.
#pragma once

#include "qx/com/comptr.h"
#include "qx/html/editing/editing_session.h"

#include <string>
#include <vector>

namespace qx::html::editing::control {

// Reads a property of any dispatch object by name (DISPATCH_PROPERTYGET, no arguments).
HRESULT GetPropertyByName(IDispatch* object, const std::u16string& name, VARIANT* value);

HRESULT CreateBlockFormatNamesParam(IUnknown* outer, REFIID riid, void** object);
HRESULT CreateInsertTableParam(IUnknown* outer, REFIID riid, void** object);

// Puts the names into the object's Names (an array of texts, as VBArray reads it), through its
// IDispatch, so that any object with a Names property serves.
HRESULT PutBlockFormatNames(IDispatch* param, const std::vector<std::u16string>& names);
// Reads NumRows, NumCols, TableAttrs, CellAttrs and Caption through the object's IDispatch; a
// missing or unconvertible property keeps the table's default. Row and column counts below 1 are
// E_INVALIDARG.
HRESULT ReadTableParam(IDispatch* param, TableSpec* table);

} // namespace qx::html::editing::control
