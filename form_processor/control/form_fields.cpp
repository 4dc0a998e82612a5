#include "form_fields.h"

#include "ansi_text.h"
#include "dispatch_names.h"
#include "string_helpers.h"

#include <qx/com/bstr.h>
#include <qx/com/enumerators.h>

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

HRESULT ReadNumber(const VARIANT& value, LONG* number) {
    switch (value.vt) {
    case VT_I2:
        *number = value.iVal;
        return S_OK;
    case VT_I4:
        *number = value.lVal;
        return S_OK;
    case VT_BYREF | VT_I2:
        *number = value.piVal ? *value.piVal : 0;
        return S_OK;
    case VT_BYREF | VT_I4:
        *number = value.plVal ? *value.plVal : 0;
        return S_OK;
    default:
        return S_FALSE;
    }
}

// document.all.item(name): a collection when several elements answer to the name.
HRESULT ItemOfAll(IDispatch* document, BSTR name, IDispatch** found) {
    *found = nullptr;
    ComPtr<IHTMLDocument2> doc = ComPtr<IHTMLDocument2>::QueryFrom(document);
    if (!doc)
        return E_NOINTERFACE;
    ComPtr<IDispatch> allDispatch;
    HRESULT hr = doc->get_all(&allDispatch);
    ComPtr<IHTMLElementCollection> all = ComPtr<IHTMLElementCollection>::QueryFrom(allDispatch.Get());
    if (FAILED(hr) || !all)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    return all->item(Variant(Bstr(name).View()), Variant::Missing(), found);
}

// The element's text as a VT_BSTR result.
HRESULT ReturnInnerText(IHTMLElement* element, VARIANT* pVal) {
    Bstr text;
    HRESULT hr = element->get_innerText(&text);
    if (FAILED(hr))
        return hr;
    VariantClear(pVal);
    pVal->vt = VT_BSTR;
    pVal->bstrVal = text ? text.Detach() : SysAllocString(u"");
    return S_OK;
}

} // namespace

// ---- qxFormFields ----

STDMETHODIMP CqxFormFields::get_Item(VARIANT varIndex, IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    const VARIANT& index = Dereferenced(varIndex);
    LONG number = 0;
    if (ReadNumber(index, &number) == S_OK)
        return ItemAt(number, pVal);
    if (index.vt != VT_BSTR && index.vt != (VT_BYREF | VT_BSTR))
        return E_INVALIDARG;
    BSTR name = index.vt == VT_BSTR ? index.bstrVal : (index.pbstrVal ? *index.pbstrVal : nullptr);
    // Without a scanned document there is nothing that could name several elements.
    if (document_) {
        ComPtr<IDispatch> found;
        if (SUCCEEDED(ItemOfAll(document_.Get(), name, &found)) && found &&
            ComPtr<IHTMLElementCollection>::QueryFrom(found.Get()))
            return CqxMultiField::Create(name, document_.Get(), pVal);
    }
    return ItemAt(IndexOfFieldId(name), pVal);
}

// The last field whose id is exactly the name, one-based; 0 when none is.
LONG CqxFormFields::IndexOfFieldId(BSTR name) const {
    const std::u16string_view wanted(name ? name : u"", SysStringLen(name));
    LONG index = 0;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        ComPtr<IqxFormField> field = ComPtr<IqxFormField>::QueryFrom(fields_[i].pdispVal);
        Bstr id;
        if (field && SUCCEEDED(field->get_FieldID(&id)) && id.View() == wanted)
            index = static_cast<LONG>(i + 1);
    }
    return index;
}

HRESULT CqxFormFields::ItemAt(LONG index, IDispatch** pVal) const {
    if (index < 0 || index > static_cast<LONG>(fields_.size()))
        return E_INVALIDARG;
    *pVal = nullptr;
    if (index == 0)
        return S_OK;
    const VARIANT& field = fields_[static_cast<std::size_t>(index - 1)];
    return field.pdispVal ? field.pdispVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal))
                          : S_OK;
}

// The enumerator walks a copy, so a rescan during the walk leaves it intact.
STDMETHODIMP CqxFormFields::get__NewEnum(IUnknown** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    ComPtr<IEnumVARIANT> enumerator;
    HRESULT hr = qx::com::CreateEnumVariant(fields_, &enumerator);
    if (FAILED(hr))
        return hr;
    *pVal = enumerator.Detach();
    return S_OK;
}

STDMETHODIMP CqxFormFields::get_Count(LONG* pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = static_cast<LONG>(fields_.size());
    return S_OK;
}

void CqxFormFields::Clear() {
    fields_.clear();
}

void CqxFormFields::Add(IDispatch* field) {
    fields_.emplace_back(field);
}

void CqxFormFields::SetDocument(IDispatch* document) {
    document_ = document;
}

// ---- qxFormField ----

HRESULT CqxFormField::Create(IDispatch* element, IDispatch** field) {
    if (!field)
        return E_POINTER;
    *field = nullptr;
    qx::com::ObjectPtr<CqxFormField> object;
    HRESULT hr = qx::com::CreateObject<CqxFormField>(object);
    if (FAILED(hr))
        return hr;
    object->element_ = element;
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(field));
}

HRESULT CqxFormField::Element(IHTMLElement** element) const {
    *element = nullptr;
    if (!element_)
        return E_NOINTERFACE;
    return element_->QueryInterface(IID_IHTMLElement, reinterpret_cast<void**>(element));
}

HRESULT CqxFormField::GetTextAttribute(const OLECHAR* name, const OLECHAR* fallback, BSTR* pVal) const {
    if (!pVal)
        return E_POINTER;
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    if (FAILED(hr))
        return hr;
    Variant value;
    hr = element->getAttribute(Bstr(name), 0, &value);
    if (FAILED(hr))
        return hr;
    *pVal = value.vt == VT_BSTR ? SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal))
                                : Bstr(fallback).Detach();
    return S_OK;
}

HRESULT CqxFormField::PutTextAttribute(const OLECHAR* name, BSTR value) {
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    if (FAILED(hr))
        return hr;
    return element->setAttribute(Bstr(name), Variant(Bstr(value).View()), 1);
}

// True only for the exact text "true"; anything else, and no attribute, reads false.
HRESULT CqxFormField::GetFlagAttribute(const OLECHAR* name, LONG* pVal) const {
    if (!pVal)
        return E_POINTER;
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    if (FAILED(hr))
        return hr;
    Variant value;
    hr = element->getAttribute(Bstr(name), 0, &value);
    if (FAILED(hr))
        return hr;
    *pVal = (value.vt == VT_BSTR && Bstr(value.bstrVal).View() == u"true") ? TRUE : FALSE;
    return S_OK;
}

// Written as the text its get reads back: "true" for script's true (-1), "false" for the rest.
HRESULT CqxFormField::PutFlagAttribute(const OLECHAR* name, LONG value) {
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    if (FAILED(hr))
        return hr;
    const bool on = static_cast<USHORT>(value) == 0xFFFF;
    return element->setAttribute(Bstr(name), Variant(on ? u"true" : u"false"), 1);
}

STDMETHODIMP CqxFormField::get_FieldID(BSTR* pVal) {
    if (!pVal)
        return E_POINTER;
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    return FAILED(hr) ? hr : element->get_id(pVal);
}

STDMETHODIMP CqxFormField::get_TagObject(IDispatch** pVal) {
    return element_.CopyTo(pVal);
}

STDMETHODIMP CqxFormField::get_Type(BSTR* pVal) {
    return GetTextAttribute(u"TYPE", u"character", pVal);
}

STDMETHODIMP CqxFormField::put_Type(BSTR newVal) {
    return PutTextAttribute(u"TYPE", newVal);
}

STDMETHODIMP CqxFormField::get_Locked(LONG* pVal) {
    return GetFlagAttribute(u"LOCKED", pVal);
}

STDMETHODIMP CqxFormField::put_Locked(LONG newVal) {
    return PutFlagAttribute(u"LOCKED", newVal);
}

STDMETHODIMP CqxFormField::get_Required(LONG* pVal) {
    return GetFlagAttribute(u"REQUIRED", pVal);
}

STDMETHODIMP CqxFormField::put_Required(LONG newVal) {
    return PutFlagAttribute(u"REQUIRED", newVal);
}

STDMETHODIMP CqxFormField::get_ProcessTime(BSTR* pVal) {
    return GetTextAttribute(u"PROCESSTIME", u"draft", pVal);
}

STDMETHODIMP CqxFormField::put_ProcessTime(BSTR newVal) {
    return PutTextAttribute(u"PROCESSTIME", newVal);
}

STDMETHODIMP CqxFormField::get_Value(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    return FAILED(hr) ? hr : ReturnInnerText(element.Get(), pVal);
}

STDMETHODIMP CqxFormField::put_Value(VARIANT newVal) {
    ComPtr<IHTMLElement> element;
    HRESULT hr = Element(&element);
    if (FAILED(hr))
        return hr;
    Variant text;
    hr = VariantChangeType(&text, &Dereferenced(newVal), 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    return element->put_innerText(text.bstrVal);
}

// Kept on the interface for the pages written against it; they hold nothing.
STDMETHODIMP CqxFormField::get_Reserved(LONG* pVal) {
    return pVal ? S_OK : E_POINTER;
}

STDMETHODIMP CqxFormField::put_Reserved(LONG) {
    return S_OK;
}

STDMETHODIMP CqxFormField::get_Format(BSTR* pVal) {
    return pVal ? S_OK : E_POINTER;
}

STDMETHODIMP CqxFormField::put_Format(BSTR) {
    return S_OK;
}

STDMETHODIMP CqxFormField::get_Length(SHORT* pVal) {
    return pVal ? S_OK : E_POINTER;
}

STDMETHODIMP CqxFormField::put_Length(SHORT) {
    return S_OK;
}

STDMETHODIMP CqxFormField::DelSign() {
    return S_OK;
}

// ---- qxMultiField ----

HRESULT CqxMultiField::Create(BSTR name, IDispatch* document, IDispatch** field) {
    if (!field)
        return E_POINTER;
    *field = nullptr;
    qx::com::ObjectPtr<CqxMultiField> object;
    HRESULT hr = qx::com::CreateObject<CqxMultiField>(object);
    if (FAILED(hr))
        return hr;
    object->name_ = Bstr(name).View();
    object->document_ = document;
    return object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(field));
}

ComPtr<IHTMLElementCollection> CqxMultiField::Elements() const {
    ComPtr<IDispatch> found;
    if (!document_ || FAILED(ItemOfAll(document_.Get(), name_, &found)))
        return nullptr;
    return ComPtr<IHTMLElementCollection>::QueryFrom(found.Get());
}

STDMETHODIMP CqxMultiField::get_Value(VARIANT* pVal) {
    if (!pVal)
        return E_POINTER;
    ComPtr<IHTMLElementCollection> elements = Elements();
    if (!elements)
        return S_OK;
    ComPtr<IDispatch> first;
    HRESULT hr = elements->item(Variant(LONG{0}), Variant::Missing(), &first);
    ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(first.Get());
    if (FAILED(hr) || !element)
        return FAILED(hr) ? hr : S_OK;
    return ReturnInnerText(element.Get(), pVal);
}

STDMETHODIMP CqxMultiField::put_Value(VARIANT newVal) {
    Variant text;
    HRESULT hr = VariantChangeType(&text, &Dereferenced(newVal), 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    ComPtr<IHTMLElementCollection> elements = Elements();
    if (!elements)
        return S_OK;
    LONG count = 0;
    elements->get_length(&count);
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> item;
        if (FAILED(elements->item(Variant(i), Variant::Missing(), &item)))
            continue;
        if (ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item.Get())) {
            hr = element->put_innerText(text.bstrVal);
            if (FAILED(hr))
                return hr;
        }
    }
    return S_OK;
}

STDMETHODIMP CqxMultiField::get_TagObject(IDispatch** pVal) {
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    return S_OK;
}

// ---- attribute view ----

namespace {

void MarkField(IDispatch* element, bool on) {
    ComPtr<IHTMLElement2> element2 = ComPtr<IHTMLElement2>::QueryFrom(element);
    ComPtr<IDispatch> style;
    if (!element2 || FAILED(element2->get_runtimeStyle(&style)) || !style)
        return;
    PutPropertyByName(style.Get(), u"backgroundColor", Variant(on ? u"#000000" : u""));
}

} // namespace

void SetFieldAttributeView(IHTMLDocument2* document, LONG on, const VARIANT& var, VARIANT_BOOL& viewFlag) {
    const bool turnOn = static_cast<USHORT>(on) == 0xFFFF;
    const VARIANT& target = Dereferenced(var);
    if (target.vt != VT_ERROR) {
        // Only an element: anything else passed by script is left alone.
        IUnknown* object = target.vt == VT_DISPATCH  ? target.pdispVal
                           : target.vt == VT_UNKNOWN ? target.punkVal
                                                     : nullptr;
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(object);
        if (!element)
            return;
        viewFlag = turnOn ? VARIANT_TRUE : VARIANT_FALSE;
        MarkField(element.Get(), turnOn);
        return;
    }
    ForEachElement(document, [&](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        Bstr className;
        if (!element || FAILED(element->get_className(&className)) ||
            !EqualsNoCase(BstrToAnsi(className.Get(), className.Length()), "FIELD"))
            return;
        viewFlag = turnOn ? VARIANT_TRUE : VARIANT_FALSE;
        MarkField(item, turnOn);
    });
}
