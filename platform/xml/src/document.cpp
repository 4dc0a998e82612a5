// The DOMDocument class: loading (always finished when load or loadXML returns), the parse error,
// node creation and saving.
#include "document_source.h"
#include "node_impl.h"
#include "xml_parse.h"

#include "qx/com/bstr.h"
#include "qx/win32/codepage.h"
#include "qx/win32/utf.h"
#include "qx/xml/xml_dom.h"
#include "stringapiset.h"

namespace qx::xml {
namespace {

class CParseError : public com::ObjectRoot, public com::DispatchImpl<IXMLDOMParseError> {
public:
    QX_BEGIN_INTERFACES(CParseError)
    QX_INTERFACE_ENTRY(IXMLDOMParseError)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMParseError)
    QX_END_INTERFACES()

    ParseFailure failure;
    std::u16string url;

    STDMETHODIMP get_errorCode(LONG* v) override { return v ? (*v = failure.errorCode, S_OK) : E_POINTER; }
    STDMETHODIMP get_url(BSTR* v) override { return Text(url, v); }
    STDMETHODIMP get_reason(BSTR* v) override { return Text(failure.reason, v); }
    STDMETHODIMP get_srcText(BSTR* v) override { return Text(failure.srcText, v); }
    STDMETHODIMP get_line(LONG* v) override { return v ? (*v = failure.line, S_OK) : E_POINTER; }
    STDMETHODIMP get_linepos(LONG* v) override { return v ? (*v = failure.linepos, S_OK) : E_POINTER; }
    STDMETHODIMP get_filepos(LONG* v) override { return v ? (*v = failure.filepos, S_OK) : E_POINTER; }

private:
    static HRESULT Text(const std::u16string& s, BSTR* v) {
        if (!v)
            return E_POINTER;
        *v = s.empty() ? nullptr : SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        return s.empty() || *v ? S_OK : E_OUTOFMEMORY;
    }
};

std::u16string ReasonOfSourceFailure(HRESULT hr) {
    if (hr == E_ACCESSDENIED)
        return u"Access is denied.\r\n";
    return u"The system cannot locate the object specified.\r\n";
}

// The document's text in the encoding it declared (UTF-8 when none or unknown). A character the
// code page cannot hold is written as a character reference, so saving never loses text.
std::string EncodeForSave(const XmlTree& tree, const std::u16string& text) {
    UINT cp = tree.hasDeclaration ? CodePageOfEncoding(tree.declEncoding) : 65001;
    if (cp == 0 || cp == 65001)
        return qx::win32::WideToUtf8(text);
    if (cp == 1200) {
        std::string out = "\xFF\xFE";
        for (char16_t c : text) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>(c >> 8);
        }
        return out;
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // A surrogate pair is one character (and one character reference); a lone surrogate is
        // one of its own.
        std::size_t n = 1;
        const long decoded = win32::DecodeUtf16(text.data() + i, text.size() - i, n);
        char buffer[8];
        BOOL usedDefault = FALSE;
        int got = WideCharToMultiByte(cp, 0, text.data() + i, static_cast<int>(n), buffer, sizeof buffer,
                                      nullptr, &usedDefault);
        if (got > 0 && !usedDefault) {
            out.append(buffer, static_cast<std::size_t>(got));
        } else {
            const char32_t code = decoded < 0 ? char32_t(text[i]) : static_cast<char32_t>(decoded);
            out += "&#" + std::to_string(static_cast<unsigned long>(code)) + ';';
        }
        i += n;
    }
    return out;
}

class CXmlDocument : public NodeImpl<IXMLDOMDocument> {
public:
    static constexpr bool kAggregatable = false;

    QX_BEGIN_INTERFACES(CXmlDocument)
    QX_INTERFACE_ENTRY(IXMLDOMDocument)
    QX_INTERFACE_ENTRY2(IXMLDOMNode, IXMLDOMDocument)
    QX_INTERFACE_ENTRY2(IDispatch, IXMLDOMDocument)
    QX_INTERFACE_ENTRY(IXmlNodeAccess)
    QX_END_INTERFACES()

    HRESULT FinalConstruct() {
        tree_ = std::make_shared<XmlTree>();
        if (!tree_->doc)
            return E_OUTOFMEMORY;
        return NewParseError(ParseFailure{}, u"");
    }

    xmlNodePtr Node() override { return reinterpret_cast<xmlNodePtr>(tree_->doc); }
    TreePtr Tree() override { return tree_; }
    IXMLDOMDocument* Owner() override { return this; }

    STDMETHODIMP cloneNode(VARIANT_BOOL deep, IDispatch** cloneRoot) override {
        if (!cloneRoot)
            return E_POINTER;
        *cloneRoot = nullptr;
        com::ObjectPtr<CXmlDocument> copy;
        HRESULT hr = com::CreateObject<CXmlDocument>(copy);
        if (FAILED(hr))
            return hr;
        copy->async_ = async_;
        copy->preserveWhiteSpace_ = preserveWhiteSpace_;
        copy->validateOnParse_ = validateOnParse_;
        if (deep != VARIANT_FALSE) {
            xmlDocPtr d = xmlCopyDoc(tree_->doc, 1);
            if (!d)
                return E_OUTOFMEMORY;
            auto tree = std::make_shared<XmlTree>(d);
            tree->hasDeclaration = tree_->hasDeclaration;
            tree->declVersion = tree_->declVersion;
            tree->declEncoding = tree_->declEncoding;
            tree->declStandalone = tree_->declStandalone;
            tree->preserveWhiteSpace = tree_->preserveWhiteSpace;
            copy->tree_ = std::move(tree);
        }
        return copy->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(cloneRoot));
    }

    STDMETHODIMP get_documentElement(IDispatch** element) override {
        if (!element)
            return E_POINTER;
        return Wrap(xmlDocGetRootElement(tree_->doc), element);
    }
    STDMETHODIMP putref_documentElement(IDispatch* element) override {
        xmlNodePtr n = nullptr;
        TreePtr t;
        if (!UnwrapNode(element, &n, &t) || n->type != XML_ELEMENT_NODE)
            return E_INVALIDARG;
        xmlNodePtr old = xmlDocGetRootElement(tree_->doc);
        if (old == n)
            return S_OK;
        xmlNodePtr next = old ? old->next : nullptr;
        if (old)
            tree_->Orphan(old);
        xmlNodePtr inserted = nullptr;
        HRESULT hr = InsertChild(tree_, Node(), element, next, &inserted);
        if (FAILED(hr) && old) {
            tree_->Detach(old);
            LinkChild(Node(), old, next);
        }
        return hr;
    }
    STDMETHODIMP createElement(BSTR tagName, IDispatch** element) override {
        return CreateNamed(tagName, element, [](xmlDocPtr d, const xmlChar* n) {
            return xmlNewDocNode(d, nullptr, n, nullptr);
        });
    }
    STDMETHODIMP createTextNode(BSTR data, IDispatch** text) override {
        std::string s = ToUtf8(data);
        return Adopt(xmlNewDocTextLen(tree_->doc, BAD_CAST s.data(), static_cast<int>(s.size())), text);
    }
    STDMETHODIMP createComment(BSTR data, IDispatch** comment) override {
        std::string s = ToUtf8(data);
        return Adopt(xmlNewDocComment(tree_->doc, BAD_CAST s.c_str()), comment);
    }
    STDMETHODIMP createCDATASection(BSTR data, IDispatch** cdata) override {
        std::string s = ToUtf8(data);
        return Adopt(xmlNewCDataBlock(tree_->doc, BAD_CAST s.data(), static_cast<int>(s.size())), cdata);
    }
    STDMETHODIMP createProcessingInstruction(BSTR target, BSTR data, IDispatch** pi) override {
        std::string d = ToUtf8(data);
        return CreateNamed(target, pi, [&d](xmlDocPtr doc, const xmlChar* n) {
            return xmlNewDocPI(doc, n, BAD_CAST d.c_str());
        });
    }
    STDMETHODIMP createAttribute(BSTR name, IDispatch** attribute) override {
        return CreateNamed(name, attribute, [](xmlDocPtr d, const xmlChar* n) {
            return reinterpret_cast<xmlNodePtr>(xmlNewDocProp(d, n, BAD_CAST ""));
        });
    }
    STDMETHODIMP getElementsByTagName(BSTR tagName, IDispatch** resultList) override {
        if (!resultList)
            return E_POINTER;
        return CreateStaticList(this, tree_, ElementsByTagName(Node(), ToUtf8(tagName)), resultList);
    }

    STDMETHODIMP load(VARIANT xmlSource, VARIANT_BOOL* isSuccessful) override {
        if (isSuccessful)
            *isSuccessful = VARIANT_FALSE;
        const VARIANT* src = &xmlSource;
        if (src->vt == (VT_BYREF | VT_VARIANT) && src->pvarVal)
            src = src->pvarVal;
        std::string bytes;
        std::u16string url;
        HRESULT hr = S_OK;
        if (src->vt == VT_BSTR || src->vt == (VT_BYREF | VT_BSTR)) {
            BSTR s = src->vt == VT_BSTR ? src->bstrVal : (src->pbstrVal ? *src->pbstrVal : nullptr);
            url.assign(s ? s : u"", s ? SysStringLen(s) : 0);
            hr = url.empty() ? E_INVALIDARG : ReadSourceText(url, kMaxDocumentBytes, &bytes);
        } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
            hr = ReadSourceStream(src->punkVal, kMaxDocumentBytes, &bytes);
            if (hr == E_INVALIDARG)
                return E_INVALIDARG;
        } else {
            return E_INVALIDARG;
        }
        if (FAILED(hr)) {
            ParseFailure f;
            f.errorCode = hr;
            f.reason = ReasonOfSourceFailure(hr);
            return Failed(f, url);
        }
        return Finish(ParseBytes(bytes, preserveWhiteSpace_), url, isSuccessful);
    }
    STDMETHODIMP loadXML(BSTR bstrXML, VARIANT_BOOL* isSuccessful) override {
        if (isSuccessful)
            *isSuccessful = VARIANT_FALSE;
        std::u16string_view text(bstrXML ? bstrXML : u"", bstrXML ? SysStringLen(bstrXML) : 0);
        return Finish(ParseText(text, preserveWhiteSpace_), u"", isSuccessful);
    }
    STDMETHODIMP get_readyState(LONG* value) override { return value ? (*value = 4, S_OK) : E_POINTER; }
    STDMETHODIMP get_parseError(IDispatch** errorObj) override {
        if (!errorObj)
            return E_POINTER;
        return parseError_.CopyTo(errorObj);
    }
    STDMETHODIMP get_url(BSTR* urlString) override {
        if (!urlString)
            return E_POINTER;
        *urlString = url_.empty() ? nullptr : SysAllocStringLen(url_.data(), static_cast<UINT>(url_.size()));
        return url_.empty() ? S_FALSE : (*urlString ? S_OK : E_OUTOFMEMORY);
    }
    STDMETHODIMP get_async(VARIANT_BOOL* v) override { return Get(async_, v); }
    STDMETHODIMP put_async(VARIANT_BOOL v) override { return Put(async_, v); }
    STDMETHODIMP abort() override { return S_OK; }
    STDMETHODIMP save(VARIANT destination) override {
        const VARIANT* dst = &destination;
        if (dst->vt == (VT_BYREF | VT_VARIANT) && dst->pvarVal)
            dst = dst->pvarVal;
        if (dst->vt != VT_BSTR || !dst->bstrVal || !SysStringLen(dst->bstrVal))
            return E_INVALIDARG;
        std::u16string text = ToWide(SerializeNode(*tree_, Node()));
        return WriteFileBytes(std::u16string(dst->bstrVal, SysStringLen(dst->bstrVal)),
                              EncodeForSave(*tree_, text));
    }
    STDMETHODIMP get_validateOnParse(VARIANT_BOOL* v) override { return Get(validateOnParse_, v); }
    STDMETHODIMP put_validateOnParse(VARIANT_BOOL v) override { return Put(validateOnParse_, v); }
    // External definitions are never read, whatever is asked.
    STDMETHODIMP get_resolveExternals(VARIANT_BOOL* v) override { return Get(resolveExternals_, v); }
    STDMETHODIMP put_resolveExternals(VARIANT_BOOL v) override { return Put(resolveExternals_, v); }
    STDMETHODIMP get_preserveWhiteSpace(VARIANT_BOOL* v) override { return Get(preserveWhiteSpace_, v); }
    STDMETHODIMP put_preserveWhiteSpace(VARIANT_BOOL v) override {
        Put(preserveWhiteSpace_, v);
        tree_->preserveWhiteSpace = preserveWhiteSpace_;
        return S_OK;
    }

private:
    static HRESULT Get(bool value, VARIANT_BOOL* out) {
        if (!out)
            return E_POINTER;
        *out = value ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    static HRESULT Put(bool& field, VARIANT_BOOL value) {
        field = value != VARIANT_FALSE;
        return S_OK;
    }

    HRESULT NewParseError(const ParseFailure& failure, const std::u16string& url) {
        com::ObjectPtr<CParseError> error;
        HRESULT hr = com::CreateObject<CParseError>(error);
        if (FAILED(hr))
            return hr;
        error->failure = failure;
        error->url = url;
        parseError_ = nullptr;
        return error->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&parseError_));
    }

    // A failed load leaves an empty document; node objects of the old tree keep it alive.
    HRESULT Failed(const ParseFailure& failure, const std::u16string& url) {
        auto empty = std::make_shared<XmlTree>();
        if (!empty->doc)
            return E_OUTOFMEMORY;
        empty->preserveWhiteSpace = preserveWhiteSpace_;
        tree_ = std::move(empty);
        url_.clear();
        HRESULT hr = NewParseError(failure, url);
        return FAILED(hr) ? hr : S_FALSE;
    }

    HRESULT Finish(ParseResult result, const std::u16string& url, VARIANT_BOOL* isSuccessful) {
        if (!result.tree)
            return Failed(result.failure, url);
        result.tree->preserveWhiteSpace = preserveWhiteSpace_;
        tree_ = std::move(result.tree);
        url_ = url;
        HRESULT hr = NewParseError(ParseFailure{}, u"");
        if (FAILED(hr))
            return hr;
        if (isSuccessful)
            *isSuccessful = VARIANT_TRUE;
        return S_OK;
    }

    HRESULT Adopt(xmlNodePtr node, IDispatch** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!node)
            return E_OUTOFMEMORY;
        tree_->Adopt(node);
        return Wrap(node, out);
    }

    template <typename Make>
    HRESULT CreateNamed(BSTR name, IDispatch** out, Make make) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        std::string n = ToUtf8(name);
        if (n.empty() || xmlValidateName(BAD_CAST n.c_str(), 0) != 0)
            return E_FAIL;
        return Adopt(make(tree_->doc, BAD_CAST n.c_str()), out);
    }

    TreePtr tree_;
    com::ComPtr<IDispatch> parseError_;
    std::u16string url_;
    bool async_ = true;
    bool validateOnParse_ = true;
    bool resolveExternals_ = false;
    bool preserveWhiteSpace_ = false;
};

} // namespace
} // namespace qx::xml

namespace qx::xml {

HRESULT CreateDOMDocument(IUnknown* outer, REFIID riid, void** ppv) {
    return qx::com::CreateInstance<qx::xml::CXmlDocument>(outer, riid, ppv);
}

HRESULT GetDOMDocumentClassObject(REFIID riid, void** ppv) {
    return qx::com::CreateClassFactory(&CreateDOMDocument, riid, ppv);
}

} // namespace qx::xml
