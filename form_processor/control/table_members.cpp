// IVelkor: the fixed and flexible table commands of page script. Fixed tables are changed by the
// toolbar page's own functions, which the control calls by name; flexible tables grow by copies
// of a group of rows and shrink by whole rows.
#include "velkor_control.h"

#include "dispatch_names.h"
#include "element_queries.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

// Calls the toolbar page's function name(table, index, borderStyle, insertAfter). The border
// style is a copy of its own: a page function that sets specialTableBorderStyle frees the member.
void CallTableScript(IHTMLDocument2* page, IDispatch* table, const Bstr& borderStyle, const OLECHAR* name,
                     LONG index, LONG insertAfter) {
    ComPtr<IDispatch> script;
    if (!page || FAILED(page->get_Script(&script)) || !script)
        return;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)))
        return;
    // Arguments go last first.
    Variant args[4];
    args[3] = Variant(table);
    if (!table) {
        args[3].vt = VT_DISPATCH;
        args[3].pdispVal = nullptr;
    }
    args[2] = Variant(index);
    args[1] = Variant(borderStyle.View());
    args[0] = Variant(insertAfter);
    DISPPARAMS params{args, nullptr, 4, 0};
    script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

ComPtr<IHTMLTable> TableOf(IDispatch* object) {
    ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(object);
    if (!TagIs(element.Get(), u"TABLE"))
        return nullptr;
    return ComPtr<IHTMLTable>::QueryFrom(object);
}

ComPtr<IHTMLElementCollection> RowsOf(IHTMLTable* table, LONG& length) {
    length = 0;
    ComPtr<IDispatch> rows;
    if (!table || FAILED(table->get_rows(&rows)) || !rows)
        return nullptr;
    ComPtr<IHTMLElementCollection> collection = ComPtr<IHTMLElementCollection>::QueryFrom(rows.Get());
    if (collection && FAILED(collection->get_length(&length)))
        length = 0;
    return collection;
}

ComPtr<IDispatch> ItemOf(IHTMLElementCollection* collection, LONG index) {
    ComPtr<IDispatch> item;
    if (collection)
        collection->item(Variant(index), Variant::Missing(), &item);
    return item;
}

// A new cell at position index of row shaped like the template: spans, alignment and "free".
bool CopyCell(IHTMLTableRow* row, LONG index, IDispatch* templateCell) {
    ComPtr<IDispatch> made;
    if (FAILED(row->insertCell(index, &made)) || !made)
        return false;
    ComPtr<IHTMLTableCell> source = ComPtr<IHTMLTableCell>::QueryFrom(templateCell);
    ComPtr<IHTMLTableCell> copy = ComPtr<IHTMLTableCell>::QueryFrom(made.Get());
    if (!source || !copy)
        return true;
    LONG span = 1;
    if (SUCCEEDED(source->get_colSpan(&span)))
        copy->put_colSpan(span);
    if (SUCCEEDED(source->get_rowSpan(&span)))
        copy->put_rowSpan(span);
    ComPtr<IHTMLElement> sourceElement = ComPtr<IHTMLElement>::QueryFrom(templateCell);
    ComPtr<IHTMLElement> copyElement = ComPtr<IHTMLElement>::QueryFrom(made.Get());
    Variant free;
    if (sourceElement && copyElement && SUCCEEDED(sourceElement->getAttribute(Bstr(u"free"), 0, &free)) &&
        free.vt != VT_NULL)
        copyElement->setAttribute(Bstr(u"free"), Variant(u""), 0);
    Bstr text;
    if (SUCCEEDED(source->get_align(&text)) && !text.Empty())
        copy->put_align(text);
    if (SUCCEEDED(source->get_vAlign(&text)) && !text.Empty())
        copy->put_vAlign(text);
    return true;
}

} // namespace

STDMETHODIMP CVelkor::tableFixedAddCol(LONG nIdx, LONG bInsertAfer) {
    CallTableScript(pageDocument_.Get(), specialTableObject_.Get(), specialTableBorderStyle_, u"addCol", nIdx,
                    bInsertAfer);
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedRemoveCol(LONG nIdx) {
    CallTableScript(pageDocument_.Get(), specialTableObject_.Get(), specialTableBorderStyle_, u"deleteCol",
                    nIdx, 0);
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedAddRow(LONG nIdx, LONG bInsertAfer) {
    CallTableScript(pageDocument_.Get(), specialTableObject_.Get(), specialTableBorderStyle_, u"addRow", nIdx,
                    bInsertAfer);
    return S_OK;
}

STDMETHODIMP CVelkor::tableFixedRemoveRow(LONG nIdx) {
    CallTableScript(pageDocument_.Get(), specialTableObject_.Get(), specialTableBorderStyle_, u"deleteRow",
                    nIdx, 0);
    return S_OK;
}

STDMETHODIMP CVelkor::tableFlexibleAddRow(LONG nIdx, LONG bInsertAfter, LONG nCount, IDispatch** pVal) {
    // The table may leave the document under a handler; it stays ours until we return.
    ComPtr<IDispatch> held = specialTableObject_;
    ComPtr<IHTMLTable> table = TableOf(held.Get());
    if (nIdx <= 0 || !table)
        return S_OK;
    if (nCount == 0)
        nCount = 1;
    const LONGLONG base = bInsertAfter ? LONGLONG{nIdx} - 1 + nCount : LONGLONG{nIdx} - 1;
    LONG templateRow = nIdx;
    for (LONG i = 0; i < nCount; ++i) {
        LONG length = 0;
        ComPtr<IHTMLElementCollection> rows = RowsOf(table.Get(), length);
        // Past the last row no template is left: the remaining rounds would insert nothing.
        if (templateRow < 1 || templateRow > length)
            break;
        ComPtr<IDispatch> source = ItemOf(rows.Get(), templateRow - 1);
        ComPtr<IDispatch> made;
        if (!source || base + i > length || FAILED(table->insertRow(static_cast<LONG>(base + i), &made)) ||
            !made)
            break;
        if (i == 0 && pVal) {
            *pVal = made.Get();
            made->AddRef();
        }
        ComPtr<IHTMLTableRow> row = ComPtr<IHTMLTableRow>::QueryFrom(made.Get());
        LONG cellIndex = 0;
        bool copied = row != nullptr;
        ForEachItem(source.Get(), u"cells", [&](IDispatch* cell) {
            if (copied)
                copied = CopyCell(row.Get(), cellIndex++, cell);
        });
        if (!copied)
            break;
        templateRow += bInsertAfter ? 1 : 2;
    }
    return S_OK;
}

STDMETHODIMP CVelkor::tableFlexibleRemoveRow(LONG nIdx, LONG nCount) {
    if (nCount == 0)
        nCount = 1;
    ComPtr<IDispatch> held = specialTableObject_;
    ComPtr<IHTMLTable> table = TableOf(held.Get());
    if (!table)
        return S_OK;
    LONG length = 0;
    RowsOf(table.Get(), length);
    if (nIdx < 1 || nIdx > length || nCount < 1)
        return S_OK;
    ComPtr<IDispatch> removed;
    if (length == 1) {
        if (ComPtr<IHTMLDOMNode> node = ComPtr<IHTMLDOMNode>::QueryFrom(table.Get()))
            node->removeNode(VARIANT_TRUE, &removed);
        return S_OK;
    }
    for (LONG i = 0; i < nCount; ++i) {
        LONG now = 0;
        ComPtr<IHTMLElementCollection> rows = RowsOf(table.Get(), now);
        ComPtr<IHTMLDOMNode> row = ComPtr<IHTMLDOMNode>::QueryFrom(ItemOf(rows.Get(), nIdx - 1).Get());
        if (nIdx > now || !row || FAILED(row->removeNode(VARIANT_TRUE, &removed)))
            break;
    }
    return S_OK;
}

STDMETHODIMP CVelkor::get_CurTableElement(IDispatch** pVal) {
    if (!tableEditor_.Document())
        return S_OK;
    ComPtr<IHTMLElement> table = tableEditor_.GetCurrentTable();
    if (!table) {
        if (pVal)
            *pVal = nullptr;
        return S_OK;
    }
    if (!pVal)
        return E_POINTER;
    return table->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}
