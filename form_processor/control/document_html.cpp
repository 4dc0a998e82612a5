// DocumentHTML get: the edited document as HTML text, or as MHT text through the converter while
// MHTMLSave is on. Image sources and the backgrounds of BODY, TABLE and TD are normalised first;
// empty cells are filled and the marker is set, so the text always reads back as a form.
#include "ansi_text.h"
#include "dispatch_names.h"
#include "document_io.h"
#include "velkor_control.h"

using qx::com::Bstr;
using qx::com::ComPtr;
using qx::com::Variant;

namespace {

constexpr OLECHAR kDefaultSaveUrl[] = u"file://c:/test.htm";
constexpr OLECHAR kNoSubject[] = u"No_Subject";

// The text through the ANSI code page and back: what the converter and files can carry.
Bstr ThroughAnsi(const Bstr& text) {
    return Bstr::Attach(AnsiToBstr(BstrToAnsi(text.Get(), text.Length())));
}

Bstr Normalised(const OLECHAR* source, UINT length) {
    return Bstr::Attach(AnsiToBstr(NormaliseSource(BstrToAnsi(source, length))));
}

void NormaliseImageSources(IHTMLDocument2* document) {
    ComPtr<IDispatch> images;
    if (FAILED(document->get_images(&images)) || !images)
        return;
    Variant length;
    if (FAILED(GetPropertyByName(images.Get(), u"length", &length)) || FAILED(length.ChangeType(VT_I4)))
        return;
    for (LONG i = 0; i < length.lVal; ++i) {
        Variant at(i), item, source;
        if (FAILED(CallMethodByName(images.Get(), u"item", &at, 1, &item)) || item.vt != VT_DISPATCH ||
            !item.pdispVal)
            continue;
        if (FAILED(GetPropertyByName(item.pdispVal, u"src", &source)) || source.vt != VT_BSTR)
            continue;
        const Bstr normal = Normalised(source.bstrVal, SysStringLen(source.bstrVal));
        PutPropertyByName(item.pdispVal, u"src", Variant(normal.View()));
    }
}

bool TakesBackground(IHTMLElement* element) {
    Bstr tag;
    if (FAILED(element->get_tagName(&tag)))
        return false;
    std::u16string upper(tag.View());
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return upper == u"BODY" || upper == u"TABLE" || upper == u"TD";
}

void NormaliseBackgrounds(IHTMLDocument2* document) {
    const Bstr name(u"background");
    ForEachElement(document, [&](IDispatch* item) {
        ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(item);
        if (!element || !TakesBackground(element.Get()))
            return;
        Variant value;
        if (FAILED(element->getAttribute(name, 0, &value)) || value.vt != VT_BSTR ||
            SysStringLen(value.bstrVal) == 0)
            return;
        const Bstr normal = Normalised(value.bstrVal, SysStringLen(value.bstrVal));
        element->setAttribute(name, Variant(normal.View()), 0);
    });
}

// The inner text of the body's element named "doctitle" (the first of several); false without one.
bool DocumentTitle(IHTMLElement* body, Bstr& title) {
    ComPtr<IDispatch> all;
    if (FAILED(body->get_all(&all)) || !all)
        return false;
    Variant name(u"doctitle"), found;
    if (FAILED(CallMethodByName(all.Get(), u"item", &name, 1, &found)) || found.vt != VT_DISPATCH ||
        !found.pdispVal)
        return false;
    ComPtr<IHTMLElement> element = ComPtr<IHTMLElement>::QueryFrom(found.pdispVal);
    if (!element) {
        // Several elements carry the name: the collection's first.
        Variant first(LONG{0}), item;
        if (FAILED(CallMethodByName(found.pdispVal, u"item", &first, 1, &item)) || item.vt != VT_DISPATCH)
            return false;
        element = ComPtr<IHTMLElement>::QueryFrom(item.pdispVal);
    }
    if (!element)
        return false;
    element->get_innerText(&title);
    // Filling empty cells gives an empty title one blank, which the old browser's innerText read
    // as nothing: a title of blanks only counts as empty.
    const std::u16string_view text = title.View();
    if (text.find_first_not_of(u" \t\r\n") == std::u16string_view::npos)
        title = Bstr();
    return true;
}

} // namespace

HRESULT CVelkor::ConvertForSaving(const Bstr& html, IHTMLElement* body, Bstr& mht) {
    if (!converter_)
        return E_FAIL;
    HRESULT hr = converter_->put_htmlData(html.Get());
    if (FAILED(hr))
        return hr;
    // Saved without ever being loaded from a URL: this one stands for it from now on.
    if (!loadedUrl_.Get())
        loadedUrl_ = Bstr(kDefaultSaveUrl);
    if (FAILED(hr = converter_->put_sync(VARIANT_TRUE)))
        return hr;
    Bstr title;
    if (DocumentTitle(body, title)) {
        const Bstr subject = title.Empty() ? Bstr(kNoSubject) : ThroughAnsi(title);
        if (FAILED(hr = converter_->put_Subject(subject.Get())))
            return hr;
    }
    VARIANT_BOOL converted = VARIANT_FALSE;
    if (FAILED(hr = converter_->filterOut(loadedUrl_.Get(), &converted)))
        return hr;
    // A busy converter answers false and still holds the previous document's MHT.
    if (converted != VARIANT_TRUE)
        return E_FAIL;
    Bstr packed;
    if (FAILED(hr = converter_->get_mhtData(&packed)))
        return hr;
    if (packed.Empty())
        return E_FAIL;
    mht = ThroughAnsi(packed);
    return S_OK;
}

STDMETHODIMP CVelkor::get_DocumentHTML(BSTR* pVal) {
    IHTMLDocument2* document = tableEditor_.Document();
    if (!document)
        return S_FALSE;
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    tableEditor_.FillEmptyCells();
    tableEditor_.SetDocumentMarker(u"dovrel");

    NormaliseImageSources(document);
    NormaliseBackgrounds(document);

    ComPtr<IDispatch> bodyObject;
    HRESULT hr = document->get_body(&bodyObject);
    ComPtr<IHTMLElement> body = ComPtr<IHTMLElement>::QueryFrom(bodyObject.Get());
    if (FAILED(hr) || !body)
        return FAILED(hr) ? hr : E_FAIL;
    ComPtr<IDispatch> rootObject;
    ComPtr<IHTMLElement> root;
    if (SUCCEEDED(body->get_parentElement(&rootObject)))
        root = ComPtr<IHTMLElement>::QueryFrom(rootObject.Get());
    if (!root)
        return E_FAIL;
    Bstr text;
    if (FAILED(hr = root->get_outerHTML(&text)))
        return hr;
    if (mhtmlSave_ != 0) {
        Bstr mht;
        if (FAILED(hr = ConvertForSaving(text, body.Get(), mht)))
            return hr;
        text = std::move(mht);
    }
    return text.CopyTo(pVal);
}
