#include "form_document.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "string_helpers.h"

#include <qx/com/bstr.h>
#include <qx/com/comptr.h>
#include <qx/com/variant.h>

#include <algorithm>
#include <string>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr OLECHAR kMarker[] = u"dovrel";

ComPtr<IHTMLElement> BodyOf(IHTMLDocument2* document) {
    ComPtr<IDispatch> body;
    if (!document || FAILED(document->get_body(&body)))
        return nullptr;
    return ComPtr<IHTMLElement>::QueryFrom(body.Get());
}

LONG LengthOf(IDispatch* collection) {
    Variant length;
    if (FAILED(GetPropertyByName(collection, u"length", &length)) || FAILED(length.ChangeType(VT_I4)))
        return 0;
    return length.lVal;
}

ComPtr<IDispatch> ItemOf(IDispatch* collection, LONG index) {
    Variant at(index), item;
    if (FAILED(CallMethodByName(collection, u"item", &at, 1, &item)) || item.vt != VT_DISPATCH)
        return nullptr;
    return ComPtr<IDispatch>(item.pdispVal);
}

std::string TextProperty(IDispatch* object, const OLECHAR* name) {
    Variant value;
    if (FAILED(GetPropertyByName(object, name, &value)) || value.vt != VT_BSTR)
        return {};
    return BstrToAnsi(value.bstrVal, SysStringLen(value.bstrVal));
}

void ZeroMargins(IHTMLElement* body) {
    ComPtr<IHTMLBodyElement> bodyElement = ComPtr<IHTMLBodyElement>::QueryFrom(body);
    if (!bodyElement)
        return;
    const Variant zero(LONG{0});
    bodyElement->put_leftMargin(zero);
    bodyElement->put_rightMargin(zero);
    bodyElement->put_topMargin(zero);
    bodyElement->put_bottomMargin(zero);
}

} // namespace

LONG ScanFormFields(IHTMLDocument2* document, CqxFormFields& fields) {
    fields.Clear();
    if (!document)
        return 0;
    LONG count = 0;
    ForEachElement(document, [&](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        Bstr className;
        if (!element || FAILED(element->get_className(&className)) || className.View() != u"FIELD")
            return;
        ComPtr<IDispatch> field;
        if (FAILED(CqxFormField::Create(item, &field)))
            return;
        fields.Add(field.Get());
        ++count;
    });
    fields.SetDocument(document);
    return count;
}

bool PassesMarkerTest(IHTMLDocument2* document, SHORT startMode) {
    ComPtr<IHTMLElement> body = BodyOf(document);
    if (!body)
        return true;
    Variant marker;
    body->getAttribute(Bstr(kMarker), 0, &marker);
    Bstr text;
    body->get_innerText(&text);
    if (text.Empty()) {
        ZeroMargins(body.Get());
        return true;
    }
    std::string ansi = BstrToAnsi(text.Get(), text.Length());
    ansi.erase(std::remove(ansi.begin(), ansi.end(), ' '), ansi.end());
    ComPtr<IDispatch> all;
    body->get_all(&all);
    if (ansi.empty() && LengthOf(all.Get()) <= 1)
        return true;
    return marker.vt == VT_BSTR || startMode == 2;
}

void PrepareFormDocument(IHTMLDocument2* document) {
    if (!document)
        return;
    document->put_charset(Bstr(u"ks_c_5601-1987"));
    ComPtr<IDispatch> sheets;
    bool hasParagraphSheet = false;
    if (SUCCEEDED(document->get_styleSheets(&sheets)) && sheets) {
        const LONG count = LengthOf(sheets.Get());
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IDispatch> sheet = ItemOf(sheets.Get(), i);
            if (!sheet)
                continue;
            const std::string title = TextProperty(sheet.Get(), u"title");
            if (EqualsNoCase(title, "voform_style")) {
                PutPropertyByName(sheet.Get(), u"cssText", Variant(u""));
                PutPropertyByName(sheet.Get(), u"title", Variant(u""));
            } else if (EqualsNoCase(title, "voform_style_1")) {
                hasParagraphSheet = true;
            }
        }
    }
    if (!hasParagraphSheet) {
        ComPtr<IDispatch> sheet;
        if (SUCCEEDED(document->createStyleSheet(Bstr(u""), 0, &sheet)) && sheet) {
            PutPropertyByName(sheet.Get(), u"title", Variant(u"voform_style_1"));
            const Variant rule[3] = {Variant(u"P"), Variant(u"margin-top:0mm;margin-bottom:0mm;"),
                                     Variant(LONG{0})};
            CallMethodByName(sheet.Get(), u"addRule", rule, 3, nullptr);
        }
    }
    ComPtr<IHTMLElement> body = BodyOf(document);
    ComPtr<IDispatch> style;
    if (body && SUCCEEDED(body->get_style(&style)) && style) {
        Variant size;
        GetPropertyByName(style.Get(), u"fontSize", &size);
        if (size.vt == VT_EMPTY || size.vt == VT_NULL ||
            (size.vt == VT_BSTR && SysStringLen(size.bstrVal) == 0))
            PutPropertyByName(style.Get(), u"fontSize", Variant(u"10pt"));
    }
}
