#include "element_queries.h"

#include "dispatch_names.h"

#include <qx/com/bstr.h>
#include <qx/com/variant.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

bool TagIs(IHTMLElement* element, std::u16string_view tag) {
    Bstr name;
    if (!element || FAILED(element->get_tagName(&name)))
        return false;
    const std::u16string_view actual = name.View();
    if (actual.size() != tag.size())
        return false;
    for (std::size_t i = 0; i < tag.size(); ++i) {
        char16_t a = actual[i], b = tag[i];
        if (a >= u'a' && a <= u'z')
            a = static_cast<char16_t>(a - 32);
        if (a != b)
            return false;
    }
    return true;
}

ComPtr<IHTMLElement> Body(IHTMLDocument2* document) {
    ComPtr<IDispatch> body;
    if (!document || FAILED(document->get_body(&body)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(body.Get());
}

SelectionRange CurrentSelection(IHTMLDocument2* document) {
    SelectionRange result;
    ComPtr<IDispatch> selection;
    Variant type, range;
    if (!document || FAILED(document->get_selection(&selection)) || !selection ||
        FAILED(GetPropertyByName(selection.Get(), u"type", &type)) || type.vt != VT_BSTR)
        return result;
    if (FAILED(CallMethodByName(selection.Get(), u"createRange", nullptr, 0, &range)) ||
        range.vt != VT_DISPATCH || !range.pdispVal)
        return result;
    const std::u16string_view kind(type.bstrVal ? type.bstrVal : u"", SysStringLen(type.bstrVal));
    if (kind == u"None" || kind == u"Text")
        result.kind = SelectionKind::Caret;
    else if (kind == u"Control")
        result.kind = SelectionKind::Control;
    else
        return result;
    result.range = range.pdispVal;
    return result;
}

void ForEachItem(IDispatch* target, const OLECHAR* name, const std::function<void(IDispatch*)>& visit) {
    ComPtr<IDispatch> collection;
    if (!target || FAILED(GetObjectByName(target, name, &collection)) || !collection)
        return;
    ComPtr<IHTMLElementCollection> items = ComPtr<IHTMLElementCollection>::QueryFrom(collection.Get());
    LONG length = 0;
    if (!items || FAILED(items->get_length(&length)))
        return;
    // The collection is live: an item the visit removes shortens it, so the length is read again.
    for (LONG i = 0; i < length; ++i) {
        ComPtr<IDispatch> item;
        if (SUCCEEDED(items->item(Variant(i), Variant::Missing(), &item)) && item)
            visit(item.Get());
        if (FAILED(items->get_length(&length)))
            return;
    }
}

void ForEachTableCell(IHTMLElement* table, const std::function<void(IHTMLElement*)>& visit) {
    if (!TagIs(table, u"TABLE"))
        return;
    ForEachItem(table, u"rows", [&](IDispatch* row) {
        ForEachItem(row, u"cells", [&](IDispatch* cell) {
            if (ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(cell))
                visit(element.Get());
        });
    });
}
