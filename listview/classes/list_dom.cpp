#include "list_dom.h"

#include "server_module.h"

#include <dispex.h>
#include <winresource.h>

#include <cstdint>
#include <limits>

namespace orrin {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

HRESULT FindName(IDispatch* object, const OLECHAR* name, DISPID* id) {
    if (!object)
        return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

} // namespace

HRESULT GetNamedProperty(IDispatch* object, const OLECHAR* name, VARIANT* value) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindName(object, name, &id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantClear(value);
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                          nullptr);
}

HRESULT PutNamedProperty(IDispatch* object, const OLECHAR* name, const VARIANT& value) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindName(object, name, &id);
    if (FAILED(hr))
        return hr;
    Variant argument(value);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

HRESULT GetExpandoProperty(IUnknown* object, const OLECHAR* name, VARIANT* value) {
    auto dispatchEx = ComPtr<IDispatchEx>::QueryFrom(object);
    if (!dispatchEx)
        return E_NOINTERFACE;
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = dispatchEx->GetDispID(Bstr(name).Get(), fdexNameCaseInsensitive, &id);
    if (FAILED(hr))
        return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantClear(value);
    return dispatchEx->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                                nullptr);
}

std::optional<std::u16string> UniqueIdOf(IUnknown* element) {
    if (!element)
        return std::nullopt;
    Variant id;
    if (FAILED(GetExpandoProperty(element, u"UniqueID", &id)) || FAILED(id.ChangeType(VT_BSTR)))
        return std::nullopt;
    return std::u16string(id.bstrVal ? id.bstrVal : u"", SysStringLen(id.bstrVal));
}

HRESULT StyleOf(IHTMLElement* element, ComPtr<IDispatch>& style) {
    if (!element)
        return E_POINTER;
    HRESULT hr = element->get_style(&style);
    return SUCCEEDED(hr) && !style ? E_POINTER : hr;
}

HRESULT RuntimeStyleOf(IHTMLElement2* element, ComPtr<IDispatch>& style) {
    if (!element)
        return E_POINTER;
    HRESULT hr = element->get_runtimeStyle(&style);
    return SUCCEEDED(hr) && !style ? E_POINTER : hr;
}

HRESULT CreateElementAt(IHTMLDocument2* document, const OLECHAR* tag, IHTMLElement* anchor,
                        const OLECHAR* where, ComPtr<IHTMLElement>& created) {
    if (!document || !anchor)
        return E_POINTER;
    ComPtr<IDispatch> made;
    HRESULT hr = document->createElement(Bstr(tag).Get(), &made);
    if (FAILED(hr))
        return hr;
    auto element = ComPtr<IHTMLElement>::QueryFrom(made.Get());
    auto anchor2 = ComPtr<IHTMLElement2>::QueryFrom(anchor);
    if (!element || !anchor2)
        return E_NOINTERFACE;
    ComPtr<IDispatch> inserted;
    hr = anchor2->insertAdjacentElement(Bstr(where).Get(), made.Get(), &inserted);
    if (FAILED(hr))
        return hr;
    created = element;
    return S_OK;
}

void RemoveFromPage(IHTMLElement* element, bool deep) {
    if (auto node = ComPtr<IHTMLDOMNode>::QueryFrom(element)) {
        ComPtr<IDispatch> removed;
        node->removeNode(deep ? VARIANT_TRUE : VARIANT_FALSE, &removed);
    }
}

void RemoveBehavior(IHTMLElement* element, LONG cookie) {
    if (auto element2 = ComPtr<IHTMLElement2>::QueryFrom(element); element2 && cookie) {
        VARIANT_BOOL done = VARIANT_FALSE;
        element2->removeBehavior(cookie, &done);
    }
}

void RemoveWithBehavior(IHTMLElement* element, bool deep, LONG cookie) {
    RemoveFromPage(element, deep);
    RemoveBehavior(element, cookie);
}

HRESULT ParentOf(IHTMLElement* element, ComPtr<IHTMLElement>& parent) {
    parent = nullptr;
    if (!element)
        return E_POINTER;
    ComPtr<IDispatch> up;
    HRESULT hr = element->get_parentElement(&up);
    if (FAILED(hr))
        return hr;
    parent = ComPtr<IHTMLElement>::QueryFrom(up.Get());
    return parent ? S_OK : S_FALSE;
}

bool HasTag(IHTMLElement* element, std::u16string_view tag) {
    Bstr name;
    return element && SUCCEEDED(element->get_tagName(&name)) && UpperAsciiLetters(name.View()) == tag;
}

HRESULT SiblingOf(IUnknown* element, bool next, IDispatch** sibling) {
    if (!sibling)
        return E_POINTER;
    *sibling = nullptr;
    auto node = ComPtr<IHTMLDOMNode>::QueryFrom(element);
    if (!node)
        return E_POINTER;
    return next ? node->get_nextSibling(sibling) : node->get_previousSibling(sibling);
}

Bstr LoadText(UINT id) {
    WCHAR text[256] = {};
    const int length = LoadStringW(_Module.GetResourceInstance(), id, text, 256);
    return Bstr(std::u16string_view(text, length > 0 ? static_cast<size_t>(length) : 0));
}

std::u16string UpperAsciiLetters(std::u16string_view text) {
    std::u16string upper(text);
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return upper;
}

std::optional<LONG> ReadListNumber(std::u16string_view text) {
    constexpr long long kLongMax = std::numeric_limits<std::int32_t>::max();
    if (text.size() > kLongestNumberText)
        return std::nullopt;
    size_t at = 0;
    while (at < text.size() &&
           (text[at] == u' ' || text[at] == u'\t' || text[at] == u'\r' || text[at] == u'\n'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        negative = text[at++] == u'-';
    long long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > kLongMax + 1)
            value = kLongMax + 1;
    }
    if (negative)
        value = -value;
    if (value > kLongMax)
        value = kLongMax;
    if (value < -kLongMax - 1)
        value = -kLongMax - 1;
    return static_cast<LONG>(value);
}

std::optional<std::u16string> ChildText(IXMLDOMNode* node, const OLECHAR* name) {
    if (!node)
        return std::nullopt;
    ComPtr<IDispatch> found;
    if (FAILED(node->selectSingleNode(Bstr(name).Get(), &found)) || !found)
        return std::nullopt;
    auto child = ComPtr<IXMLDOMNode>::QueryFrom(found.Get());
    Bstr text;
    if (!child || FAILED(child->get_text(&text)))
        return std::nullopt;
    return std::u16string(text.View());
}

} // namespace orrin
