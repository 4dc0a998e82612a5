// The document object: its collections, title, charset and URL, element creation and lookup.
#include "dom_objects.h"
#include "element_object.h"
#include "element_styles.h"
#include "geometry_members.h"

#include "ocidl_control.h"
#include "qx/com/error_info.h"
#include "qx/html/dom/serializer.h"
#include "qx/win32/codepage.h"

#include "oleidl.h"

namespace qx::html::dom {

namespace {

class CDocument : public com::ObjectRoot,
                  public com::UnionDispatchImpl<IHTMLDocument2, IHTMLDocument3>,
                  public IHtmlNodeAccess,
                  public IPersistStreamInit,
                  public IOleWindow {
public:
    QX_BEGIN_INTERFACES(CDocument)
    QX_INTERFACE_ENTRY(IHTMLDocument2)
    QX_INTERFACE_ENTRY2(IHTMLDocument, IHTMLDocument2)
    QX_INTERFACE_ENTRY(IHTMLDocument3)
    QX_INTERFACE_ENTRY(IDispatchEx)
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)
    QX_INTERFACE_ENTRY(IHtmlNodeAccess)
    QX_INTERFACE_ENTRY(IPersistStreamInit)
    QX_INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
    QX_INTERFACE_ENTRY(IOleWindow)
    QX_END_INTERFACES()

    // The window the document is shown in (the editing control's document view); E_FAIL while
    // nothing shows it.
    STDMETHODIMP GetWindow(HWND* phwnd) override {
        if (!phwnd)
            return E_POINTER;
        *phwnd = dom_->viewWindow;
        return *phwnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    void Attach(DomPtr dom) {
        dom_ = std::move(dom);
        dom_->documentObject = static_cast<IDispatch*>(static_cast<IDispatchEx*>(this));
    }
    void FinalRelease() {
        if (dom_)
            dom_->documentObject = nullptr;
    }

    // The document's connection points are the page's events'.
    void* QueryOtherInterface(REFIID riid) {
        if (!IsEqualIID(riid, IID_IConnectionPointContainer) || !dom_->events)
            return nullptr;
        return dom_->events->ConnectionPoints(dom_->tree.Document());
    }

    // Loading and saving the whole document (document_persistence.cpp).
    STDMETHODIMP GetClassID(CLSID* p) override { return DocumentClassId(p); }
    STDMETHODIMP IsDirty() override { return DocumentIsDirty(*dom_); }
    STDMETHODIMP Load(LPSTREAM s) override { return LoadDocument(dom_, s); }
    STDMETHODIMP Save(LPSTREAM s, BOOL clear) override { return SaveDocument(*dom_, s, clear); }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* p) override { return DocumentSizeMax(*dom_, p); }
    STDMETHODIMP InitNew() override { return InitNewDocument(dom_); }

    Node* STDMETHODCALLTYPE AccessNode() override { return dom_->tree.Document(); }
    const DomPtr& STDMETHODCALLTYPE AccessDocument() override { return dom_; }

    // The page's script object, while a page runs the document.
    STDMETHODIMP get_Script(IDispatch** p) override { return WhileRunning(dom_->script, p); }
    STDMETHODIMP get_all(IDispatch** p) override { return Collection(u"", p); }
    STDMETHODIMP get_body(IDispatch** p) override { return ReturnObject(dom_, dom_->tree.Body(), p); }
    // An element taken out of the page no longer has the focus.
    STDMETHODIMP get_activeElement(IDispatch** p) override {
        Node* active = dom_->activeElement;
        return ReturnObject(
            dom_, active && IsInclusiveAncestor(dom_->tree.Document(), active) ? active : dom_->tree.Body(),
            p);
    }
    STDMETHODIMP get_images(IDispatch** p) override { return Collection(u"img", p); }
    STDMETHODIMP get_forms(IDispatch** p) override { return Collection(u"form", p); }
    STDMETHODIMP put_title(BSTR v) override {
        Node* title = Title();
        if (!title) {
            Node* head = Head();
            if (!head)
                return E_FAIL;
            title = dom_->tree.CreateElement(u"title");
            dom_->tree.Insert(head, title, head->firstChild);
        }
        dom_->tree.RemoveChildren(title);
        if (SysStringLen(v))
            dom_->tree.Insert(title, dom_->tree.CreateText(ViewOf(v)), nullptr);
        return S_OK;
    }
    STDMETHODIMP get_title(BSTR* p) override {
        const Node* title = Title();
        return ReturnText(title ? TextContent(title) : std::u16string(), p);
    }
    STDMETHODIMP get_scripts(IDispatch** p) override { return Collection(u"script", p); }
    // The selection belongs to the editing piece; without it the document has none.
    STDMETHODIMP get_selection(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        return dom_->editing ? dom_->editing->Selection(dom_, p) : E_NOTIMPL;
    }
    // "On", "Off" or "Inherit" in any case, kept as written here; anything else fails.
    STDMETHODIMP put_designMode(BSTR v) override {
        static constexpr std::u16string_view kModes[] = {u"Inherit", u"On", u"Off"};
        for (std::u16string_view mode : kModes) {
            if (EqualsNoCase(ViewOf(v), mode)) {
                dom_->designMode = mode;
                if (dom_->designModeChanged)
                    dom_->designModeChanged();
                return S_OK;
            }
        }
        return com::ReportError(IID_IHTMLDocument2, u"htmlfile", u"Invalid argument.", E_INVALIDARG);
    }
    STDMETHODIMP get_designMode(BSTR* p) override { return ReturnText(dom_->designMode, p); }
    STDMETHODIMP get_readyState(BSTR* p) override { return ReturnText(dom_->readyState, p); }
    STDMETHODIMP get_location(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (!location_) {
            const HRESULT hr = MakeLocationObject(dom_, &location_);
            if (FAILED(hr))
                return hr;
        }
        *p = location_.Get();
        (*p)->AddRef();
        return S_OK;
    }
    STDMETHODIMP put_URL(BSTR v) override {
        dom_->tree.url = ViewOf(v);
        return S_OK;
    }
    STDMETHODIMP get_URL(BSTR* p) override { return ReturnText(dom_->tree.url, p); }
    STDMETHODIMP put_charset(BSTR v) override {
        const std::string name = win32::WideToUtf8(ViewOf(v));
        if (!CodePageOfCharset(name))
            return E_INVALIDARG;
        dom_->tree.charset = name;
        return S_OK;
    }
    STDMETHODIMP get_charset(BSTR* p) override {
        return ReturnText(win32::Utf8ToWide(dom_->tree.charset), p);
    }
    // A tag name, or a whole start tag ("<INPUT name=x>") as the old browser allowed.
    STDMETHODIMP createElement(BSTR tag, IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        const std::u16string_view text = ViewOf(tag);
        if (!text.empty() && text.front() == u'<') {
            std::vector<Node*> nodes;
            if (ParseHtmlFragment(dom_->tree, text, u"body", nodes) != ParseError::None)
                return E_INVALIDARG;
            for (Node* n : nodes)
                if (n->IsElement())
                    return ReturnObject(dom_, n, p);
            return E_INVALIDARG;
        }
        if (text.empty())
            return E_INVALIDARG;
        for (char16_t c : text)
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                  c == u':' || c == u'-' || c == u'_'))
                return E_INVALIDARG;
        return ReturnObject(dom_, dom_->tree.CreateElement(text), p);
    }
    STDMETHODIMP get_styleSheets(IDispatch** p) override { return DocumentStyleSheets(dom_, p); }
    // The page's window, while a page runs the document.
    STDMETHODIMP get_parentWindow(IDispatch** p) override { return WhileRunning(dom_->window, p); }
    STDMETHODIMP elementFromPoint(LONG x, LONG y, IDispatch** p) override {
        return geometry_members::ElementFromPoint(dom_, x, y, p);
    }
    STDMETHODIMP toString(BSTR* p) override { return ReturnText(u"[object]", p); }
    STDMETHODIMP createStyleSheet(BSTR url, LONG index, IDispatch** p) override {
        return CreateDocumentStyleSheet(dom_, url, index, p);
    }

    // IHTMLDocument3
    // Layout follows every change by itself: nothing waits for a recalculation.
    STDMETHODIMP recalc(VARIANT_BOOL) override { return S_OK; }
    STDMETHODIMP get_uniqueID(BSTR* p) override {
        return ReturnText(u"ms__id" + Decimal(dom_->tree.NextUniqueNumber()), p);
    }
    STDMETHODIMP put_dir(BSTR v) override { return PutRootAttribute(u"dir", v); }
    STDMETHODIMP get_dir(BSTR* p) override {
        const Node* html = dom_->tree.DocumentElement();
        return ReturnText(html ? html->AttributeValue(u"dir") : std::u16string_view(), p);
    }
    // A fragment is a document of its own, as the old browser made it.
    STDMETHODIMP createDocumentFragment(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        auto fragment = std::make_shared<DomDocument>();
        fragment->tree.url = dom_->tree.url;
        fragment->tree.charset = dom_->tree.charset;
        com::ComPtr<IHTMLDocument2> document;
        const HRESULT hr = DocumentObjectOf(fragment, &document);
        *p = document.Detach();
        return hr;
    }
    // No frames: a page has no parent document.
    STDMETHODIMP get_parentDocument(IDispatch** p) override { return ReturnObject(dom_, nullptr, p); }
    STDMETHODIMP put_baseUrl(BSTR v) override { return PutBase(v); }
    STDMETHODIMP get_baseUrl(BSTR* p) override {
        const Node* base = Base();
        return ReturnText(base ? base->AttributeValue(u"href") : std::u16string_view(), p);
    }
    STDMETHODIMP get_childNodes(IDispatch** p) override {
        return MakeChildNodes(dom_, dom_->tree.Document(), p);
    }
    STDMETHODIMP createTextNode(BSTR text, IDispatch** p) override {
        return ReturnObject(dom_, dom_->tree.CreateText(ViewOf(text)), p);
    }
    STDMETHODIMP get_documentElement(IDispatch** p) override {
        return ReturnObject(dom_, dom_->tree.DocumentElement(), p);
    }
    STDMETHODIMP getElementsByName(BSTR v, IDispatch** p) override {
        return MakeElementCollection(dom_, dom_->tree.Document(),
                                     {CollectionScope::Kind::Named, {}, std::u16string(ViewOf(v))}, p);
    }
    STDMETHODIMP getElementById(BSTR v, IDispatch** p) override {
        return ReturnObject(dom_, dom_->tree.ElementById(ViewOf(v)), p);
    }
    STDMETHODIMP getElementsByTagName(BSTR v, IDispatch** p) override {
        const std::u16string tag = LowerAscii(ViewOf(v));
        return Collection(tag == u"*" ? u"" : tag, p);
    }

private:
    // What a running page gives the document; E_NOTIMPL while none runs it.
    static HRESULT WhileRunning(IDispatch* object, IDispatch** p) {
        if (!p)
            return E_POINTER;
        *p = object;
        if (!object)
            return E_NOTIMPL;
        object->AddRef();
        return S_OK;
    }
    HRESULT PutRootAttribute(std::u16string_view name, BSTR v) {
        Node* html = dom_->tree.DocumentElement();
        if (!html)
            return E_FAIL;
        html->SetAttribute(name, ViewOf(v));
        return S_OK;
    }
    Node* Base() {
        Node* document = dom_->tree.Document();
        for (Node* n = document->firstChild; n; n = NextInTree(n, document))
            if (n->Is(u"base"))
                return n;
        return nullptr;
    }
    // The base address is the BASE element's (one is made in the HEAD when there is none).
    HRESULT PutBase(BSTR v) {
        Node* base = Base();
        if (!base) {
            Node* head = Head();
            if (!head)
                return E_FAIL;
            base = dom_->tree.CreateElement(u"base");
            dom_->tree.Insert(head, base, nullptr);
        }
        base->SetAttribute(u"href", ViewOf(v));
        return S_OK;
    }
    Node* Head() {
        Node* html = dom_->tree.DocumentElement();
        Node* head = html ? html->firstChild : nullptr;
        while (head && !head->Is(u"head"))
            head = head->next;
        return head;
    }
    HRESULT Collection(std::u16string_view tag, IDispatch** p) {
        return MakeElementCollection(dom_, dom_->tree.Document(),
                                     {CollectionScope::Kind::Descendants, std::u16string(tag), {}}, p);
    }
    Node* Title() {
        Node* document = dom_->tree.Document();
        for (Node* n = document->firstChild; n; n = NextInTree(n, document))
            if (n->Is(u"title"))
                return n;
        return nullptr;
    }

    DomPtr dom_;
    com::ComPtr<IDispatch> location_; // made on first use, the same object while the document's lives
};

} // namespace

HRESULT DocumentObjectOf(const DomPtr& dom, IHTMLDocument2** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (dom->documentObject)
        return dom->documentObject->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(document));
    com::ObjectPtr<CDocument> object;
    const HRESULT hr = com::CreateObject<CDocument>(object);
    if (FAILED(hr))
        return hr;
    object->Attach(dom);
    return object->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(document));
}

HRESULT LoadHtmlDocumentObject(const DocumentSource& source, IHTMLDocument2** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    auto dom = std::make_shared<DomDocument>();
    const ParseError error = LoadHtmlDocument(dom->tree, source.bytes);
    if (error != ParseError::None)
        return com::ReportError(IID_IHTMLDocument2, u"htmlfile", DescribeParseError(error), E_FAIL);
    dom->tree.url = source.url;
    dom->savedContentVersion = dom->tree.ContentVersion();
    return DocumentObjectOf(dom, document);
}

HRESULT ParseHtmlDocumentObject(std::u16string_view html, IHTMLDocument2** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    auto dom = std::make_shared<DomDocument>();
    const ParseError error = ParseHtmlDocument(dom->tree, html);
    if (error != ParseError::None)
        return com::ReportError(IID_IHTMLDocument2, u"htmlfile", DescribeParseError(error), E_FAIL);
    dom->savedContentVersion = dom->tree.ContentVersion();
    return DocumentObjectOf(dom, document);
}

} // namespace qx::html::dom
