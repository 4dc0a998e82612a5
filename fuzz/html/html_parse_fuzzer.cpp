// Document bytes into the DOM (the first byte picks the charset the caller assumes), written out and
// parsed again, then walked through the objects script sees: every element of `all`, its parent,
// children and content, with a fragment of the input put as one element's innerHTML. A node reached
// by two roads must be one object.
#include "oleauto.h"
#include "qx/com/bstr.h"
#include "qx/com/comptr.h"
#include "qx/com/variant.h"
#include "qx/html/dom/html_document.h"
#include "qx/html/dom/serializer.h"
#include "qx/win32/codepage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

constexpr long kMaxElements = 512;

IUnknown* Identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))))
        std::abort();
    return unknown.Get();
}

void Walk(IHTMLDocument2* document, std::u16string_view fragment) {
    ComPtr<IDispatch> allObject;
    if (FAILED(document->get_all(&allObject)) || !allObject)
        return;
    ComPtr<IHTMLElementCollection> all = allObject.As<IHTMLElementCollection>();
    LONG length = 0;
    all->get_length(&length);
    const LONG middle = length / 2;
    for (LONG i = 0; i < kMaxElements && SUCCEEDED(all->get_length(&length)) && i < length; ++i) {
        ComPtr<IDispatch> item;
        if (FAILED(all->item(Variant(i), Variant::Missing(), &item)) || !item)
            std::abort();
        ComPtr<IHTMLElement> element = item.As<IHTMLElement>();
        ComPtr<IHTMLDOMNode> node = item.As<IHTMLDOMNode>();
        if (!element || !node)
            std::abort();
        Bstr text;
        element->get_outerHTML(text.ReleaseAndGetAddressOf());
        element->get_innerText(text.ReleaseAndGetAddressOf());
        ComPtr<IDispatch> parent;
        node->get_parentNode(&parent);
        ComPtr<IDispatch> child;
        node->get_firstChild(&child);
        if (child) {
            ComPtr<IHTMLDOMNode> childNode = child.As<IHTMLDOMNode>();
            ComPtr<IDispatch> back;
            childNode->get_parentNode(&back);
            if (Identity(back.Get()) != Identity(item.Get()))
                std::abort();
        }
        ComPtr<IDispatch> byIndex;
        all->item(Variant(i), Variant::Missing(), &byIndex);
        if (Identity(byIndex.Get()) != Identity(item.Get()))
            std::abort();
        if (i == middle)
            element->put_innerHTML(Bstr(fragment).Get()); // the walk goes on over the changed tree
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kCharsets[] = {"", "utf-8", "ks_c_5601-1987", "utf-16"};
    const char* charset = size ? kCharsets[data[0] % 4] : "";
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ComPtr<IHTMLDocument2> document;
    qx::html::dom::DocumentSource source{{bytes, "", charset}, u"about:blank"};
    if (FAILED(qx::html::dom::LoadHtmlDocumentObject(source, &document)))
        return 0;
    ComPtr<IHtmlNodeAccess> access = ComPtr<IDispatch>(document.Get()).As<IHtmlNodeAccess>();
    const std::u16string written = qx::html::dom::DocumentHtml(access->AccessDocument()->tree);
    ComPtr<IHTMLDocument2> again;
    if (FAILED(qx::html::dom::ParseHtmlDocumentObject(written, &again)))
        std::abort(); // what was written once parsed
    const std::u16string fragment = qx::win32::Utf8ToWide(bytes.substr(0, 256));
    Walk(document.Get(), fragment);
    Walk(again.Get(), fragment);
    return 0;
}
