// What happens when the editing control's document completes: the table engine attaches, the
// marker test, the preparation every document gets, the field scan and the document-ready step.
#include "external_dispatch.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "string_helpers.h"
#include "velkor_control.h"

#include <algorithm>

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

} // namespace

// The editing control's document, from its DOM property; null before InitComplete.
ComPtr<IHTMLDocument2> CExternalDispatch::EditedDocument() const {
    ComPtr<IDispatch> dom;
    if (!owner_ || !owner_->EditorObject() || FAILED(GetObjectByName(owner_->EditorObject(), u"DOM", &dom)))
        return nullptr;
    return ComPtr<IHTMLDocument2>::QueryFrom(dom.Get());
}

LONG CExternalDispatch::CollectFields() {
    if (!owner_ || !owner_->FieldCollection())
        return 0;
    CqxFormFields& fields = *owner_->FieldCollection();
    fields.Clear();
    ComPtr<IHTMLDocument2> document = EditedDocument();
    if (!document)
        return 0;
    LONG count = 0;
    ForEachElement(document.Get(), [&](IDispatch* item) {
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
    fields.SetDocument(document.Get());
    return count;
}

void CExternalDispatch::PrepareDocument(LONG phase) {
    ComPtr<IHTMLDocument2> document = EditedDocument();
    if (!document)
        return;
    CTableEditor& engine = owner_->TableEditor();
    engine.Detach();
    engine.SetPageBridge(this);
    if (!engine.Attach(document.Get()))
        owner_->Fire_FPError(0);
    engine.AdviseElementSinks();
    MarkerTest(document.Get());
    if (owner_->NewDocumentPending()) {
        owner_->ClearNewDocument();
        return;
    }
    if (phase == 1)
        owner_->PostToWindow(WM_VELKOR_DOCUMENT_READY);
    if (ComPtr<IHTMLDocument2> edited = EditedDocument())
        Prepare(edited.Get());
}

// A document passes when it is blank, carries the marker, or the control edits without the test.
void CExternalDispatch::MarkerTest(IHTMLDocument2* document) {
    ComPtr<IHTMLElement> body = BodyOf(document);
    if (!body)
        return;
    Variant marker;
    body->getAttribute(Bstr(kMarker), 0, &marker);
    Bstr text;
    body->get_innerText(&text);
    bool passes = false;
    if (text.Empty()) {
        if (ComPtr<IHTMLBodyElement> bodyElement = ComPtr<IHTMLBodyElement>::QueryFrom(body.Get())) {
            const Variant zero(LONG{0});
            bodyElement->put_leftMargin(zero);
            bodyElement->put_rightMargin(zero);
            bodyElement->put_topMargin(zero);
            bodyElement->put_bottomMargin(zero);
        }
        passes = true;
    } else {
        std::string ansi = BstrToAnsi(text.Get(), text.Length());
        ansi.erase(std::remove(ansi.begin(), ansi.end(), ' '), ansi.end());
        ComPtr<IDispatch> all;
        body->get_all(&all);
        if (ansi.empty() && LengthOf(all.Get()) <= 1)
            passes = true;
        else
            passes = marker.vt == VT_BSTR || owner_->StartModeValue() == 2;
    }
    if (!passes)
        owner_->Fire_InvalidDocument();
}

void CExternalDispatch::Prepare(IHTMLDocument2* document) {
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

void CExternalDispatch::DocumentReady() {
    if (!owner_)
        return;
    const LONG count = CollectFields();
    owner_->Fire_DocumentComplete();
    if (count < 1 || !owner_ || !owner_->FieldCollection())
        return;
    owner_->Fire_FieldsAvailable();
    CqxFormFields& fields = *owner_->FieldCollection();
    ComPtr<IDispatch> found;
    fields.get_Item(Variant(u"docsetfocus"), &found);
    if (!found)
        fields.get_Item(Variant(u"doctitle"), &found);
    ComPtr<IHTMLDocument2> document = EditedDocument();
    ComPtr<IHTMLBodyElement> body = ComPtr<IHTMLBodyElement>::QueryFrom(BodyOf(document.Get()).Get());
    ComPtr<IDispatch> range;
    if (body && SUCCEEDED(body->createTextRange(&range)) && range) {
        Variant atStart(true);
        CallMethodByName(range.Get(), u"collapse", &atStart, 1, nullptr);
        CallMethodByName(range.Get(), u"select", nullptr, 0, nullptr);
    }
    // Several "docsetfocus" give a multi-field, which has no element to focus.
    if (ComPtr<IqxFormField> field = ComPtr<IqxFormField>::QueryFrom(found.Get())) {
        ComPtr<IDispatch> tag;
        field->get_TagObject(&tag);
        if (ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(tag.Get()))
            owner_->TableEditor().FocusElement(element.Get());
    }
    owner_->put_specialTableObject(nullptr);
}
