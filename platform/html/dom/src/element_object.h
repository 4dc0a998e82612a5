// The members every element answers (IHTMLElement, IHTMLElement2, IHTMLUniqueName and its
// attributes as names), for the element classes of each tag to build on.
#pragma once

#include "attribute_names.h"
#include "behavior_names.h"
#include "dom_objects.h"
#include "element_styles.h"
#include "geometry_members.h"

#include "oleauto.h"
#include "qx/com/error_info.h"
#include "qx/html/dom/serializer.h"

#include <algorithm>
#include <memory>
#include <string>

namespace qx::html::dom {

// The interface entries of every element class.
#define QX_HTML_ELEMENT_ENTRIES                                                                              \
    QX_INTERFACE_ENTRY(IHTMLElement)                                                                         \
    QX_INTERFACE_ENTRY(IHTMLElement2)                                                                        \
    QX_INTERFACE_ENTRY(IHTMLElement3)                                                                        \
    QX_INTERFACE_ENTRY(IHTMLDOMNode)                                                                         \
    QX_INTERFACE_ENTRY(IHTMLDOMNode2)                                                                        \
    QX_INTERFACE_ENTRY(IHTMLUniqueName)                                                                      \
    QX_INTERFACE_ENTRY(IDispatchEx)                                                                          \
    QX_INTERFACE_ENTRY2(IDispatch, IDispatchEx)                                                              \
    QX_INTERFACE_ENTRY(IHtmlNodeAccess)

namespace element_detail {
inline constexpr std::u16string_view kSource = u"htmlfile";

// Elements whose content the old browser would not replace through innerHTML or innerText.
inline bool HasReadOnlyContent(std::u16string_view tag) {
    static constexpr std::u16string_view kTags[] = {u"col",   u"colgroup", u"frameset", u"head",
                                                    u"html",  u"style",    u"table",    u"tbody",
                                                    u"tfoot", u"thead",    u"title",    u"tr"};
    for (std::u16string_view t : kTags)
        if (t == tag)
            return true;
    return false;
}

inline HRESULT Zero(LONG* out) {
    if (!out)
        return E_POINTER;
    *out = 0;
    return S_OK;
}

// Replaces the element's children with text; line breaks become BR elements.
inline void SetTextContent(NodeTree& tree, Node* element, std::u16string_view text) {
    tree.RemoveChildren(element);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        const std::u16string_view line =
            text.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (!line.empty())
            tree.Insert(element, tree.CreateText(line), nullptr);
        if (end == std::u16string_view::npos)
            break;
        tree.Insert(element, tree.CreateElement(u"br"), nullptr);
        start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
    }
}

inline HRESULT ReturnLong(long value, LONG* out) {
    if (!out)
        return E_POINTER;
    *out = static_cast<LONG>(value);
    return S_OK;
}

// An integer attribute ("2", " 3px" reads 3); fallback when absent or not a number.
inline long IntegerAttribute(const Node* node, std::u16string_view name, long fallback) {
    std::u16string_view text = node->AttributeValue(name);
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    long value = 0;
    std::size_t digits = 0;
    for (; digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9' && value < 100000000;
         ++digits)
        value = value * 10 + (text[digits] - u'0');
    return digits ? value : fallback;
}

inline std::u16string Decimal(long value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}
} // namespace element_detail

using element_detail::Decimal;
using element_detail::IntegerAttribute;
using element_detail::ReturnLong;

template <typename... Tag>
class ElementObject : public NodeObject<IHTMLElement, IHTMLElement2, IHTMLElement3, IHTMLDOMNode,
                                        IHTMLDOMNode2, IHTMLUniqueName, Tag...> {
public:
    void AttachElement(DomPtr dom, Node* node) {
        this->Attach(std::move(dom), node);
        names_ = std::make_unique<AttributeNames>(node);
        behaviorNames_ = std::make_unique<BehaviorNames>(this->dom_.get(), node);
    }

    // IHTMLElement
    STDMETHODIMP setAttribute(BSTR name, VARIANT value, LONG) override {
        const std::u16string_view n = ViewOf(name), attribute = AttributeFor(n);
        if (attribute.empty())
            return E_INVALIDARG;
        std::u16string text;
        const HRESULT hr = AttributeText(value, &text);
        if (FAILED(hr))
            return hr;
        this->node_->SetAttribute(attribute, text);
        return S_OK;
    }
    STDMETHODIMP getAttribute(BSTR name, LONG, VARIANT* value) override {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        const Attribute* a = this->node_->FindAttribute(AttributeFor(ViewOf(name)));
        if (!a) {
            value->vt = VT_NULL;
            return S_OK;
        }
        value->vt = VT_BSTR;
        value->bstrVal = com::Bstr(a->value).Detach();
        return S_OK;
    }
    STDMETHODIMP removeAttribute(BSTR name, LONG, VARIANT_BOOL* success) override {
        const bool removed = this->node_->RemoveAttribute(AttributeFor(ViewOf(name)));
        if (success)
            *success = removed ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_className(BSTR v) override { return PutAttribute(u"class", v); }
    STDMETHODIMP get_className(BSTR* p) override { return GetAttribute(u"class", p); }
    STDMETHODIMP put_id(BSTR v) override { return PutAttribute(u"id", v); }
    STDMETHODIMP get_id(BSTR* p) override { return GetAttribute(u"id", p); }
    STDMETHODIMP get_tagName(BSTR* p) override { return ReturnText(UpperAscii(this->node_->name), p); }
    STDMETHODIMP get_parentElement(IDispatch** p) override {
        Node* parent = this->node_->parent;
        return ReturnObject(this->dom_, parent && parent->IsElement() ? parent : nullptr, p);
    }
    STDMETHODIMP get_style(IDispatch** p) override { return Style(ElementStyleKind::Inline, p); }
    // Event handler properties belong to the event piece.
    STDMETHODIMP put_onhelp(VARIANT v) override { return PutHandler(u"onhelp", v); }
    STDMETHODIMP get_onhelp(VARIANT* p) override { return GetHandler(u"onhelp", p); }
    STDMETHODIMP put_onclick(VARIANT v) override { return PutHandler(u"onclick", v); }
    STDMETHODIMP get_onclick(VARIANT* p) override { return GetHandler(u"onclick", p); }
    STDMETHODIMP put_onlosecapture(VARIANT v) override { return PutHandler(u"onlosecapture", v); }
    STDMETHODIMP get_onlosecapture(VARIANT* p) override { return GetHandler(u"onlosecapture", p); }
    STDMETHODIMP put_onscroll(VARIANT v) override { return PutHandler(u"onscroll", v); }
    STDMETHODIMP get_onscroll(VARIANT* p) override { return GetHandler(u"onscroll", p); }
    STDMETHODIMP put_onpropertychange(VARIANT v) override { return PutHandler(u"onpropertychange", v); }
    STDMETHODIMP get_onpropertychange(VARIANT* p) override { return GetHandler(u"onpropertychange", p); }
    STDMETHODIMP put_onblur(VARIANT v) override { return PutHandler(u"onblur", v); }
    STDMETHODIMP get_onblur(VARIANT* p) override { return GetHandler(u"onblur", p); }
    STDMETHODIMP put_onfocus(VARIANT v) override { return PutHandler(u"onfocus", v); }
    STDMETHODIMP get_onfocus(VARIANT* p) override { return GetHandler(u"onfocus", p); }
    STDMETHODIMP put_onresize(VARIANT v) override { return PutHandler(u"onresize", v); }
    STDMETHODIMP get_onresize(VARIANT* p) override { return GetHandler(u"onresize", p); }
    STDMETHODIMP put_oncontextmenu(VARIANT v) override { return PutHandler(u"oncontextmenu", v); }
    STDMETHODIMP get_oncontextmenu(VARIANT* p) override { return GetHandler(u"oncontextmenu", p); }
    STDMETHODIMP put_ondblclick(VARIANT v) override { return PutHandler(u"ondblclick", v); }
    STDMETHODIMP get_ondblclick(VARIANT* p) override { return GetHandler(u"ondblclick", p); }
    STDMETHODIMP put_onkeydown(VARIANT v) override { return PutHandler(u"onkeydown", v); }
    STDMETHODIMP get_onkeydown(VARIANT* p) override { return GetHandler(u"onkeydown", p); }
    STDMETHODIMP put_onkeyup(VARIANT v) override { return PutHandler(u"onkeyup", v); }
    STDMETHODIMP get_onkeyup(VARIANT* p) override { return GetHandler(u"onkeyup", p); }
    STDMETHODIMP put_onkeypress(VARIANT v) override { return PutHandler(u"onkeypress", v); }
    STDMETHODIMP get_onkeypress(VARIANT* p) override { return GetHandler(u"onkeypress", p); }
    STDMETHODIMP put_onmouseout(VARIANT v) override { return PutHandler(u"onmouseout", v); }
    STDMETHODIMP get_onmouseout(VARIANT* p) override { return GetHandler(u"onmouseout", p); }
    STDMETHODIMP put_onmouseover(VARIANT v) override { return PutHandler(u"onmouseover", v); }
    STDMETHODIMP get_onmouseover(VARIANT* p) override { return GetHandler(u"onmouseover", p); }
    STDMETHODIMP put_onmousemove(VARIANT v) override { return PutHandler(u"onmousemove", v); }
    STDMETHODIMP get_onmousemove(VARIANT* p) override { return GetHandler(u"onmousemove", p); }
    STDMETHODIMP put_onmousedown(VARIANT v) override { return PutHandler(u"onmousedown", v); }
    STDMETHODIMP get_onmousedown(VARIANT* p) override { return GetHandler(u"onmousedown", p); }
    STDMETHODIMP put_onmouseup(VARIANT v) override { return PutHandler(u"onmouseup", v); }
    STDMETHODIMP get_onmouseup(VARIANT* p) override { return GetHandler(u"onmouseup", p); }
    STDMETHODIMP get_document(IDispatch** p) override {
        if (!p)
            return E_POINTER;
        com::ComPtr<IHTMLDocument2> document;
        const HRESULT hr = DocumentObjectOf(this->dom_, &document);
        *p = document.Detach();
        return hr;
    }
    STDMETHODIMP put_title(BSTR v) override { return PutAttribute(u"title", v); }
    STDMETHODIMP get_title(BSTR* p) override { return GetAttribute(u"title", p); }
    STDMETHODIMP put_language(BSTR v) override { return PutAttribute(u"language", v); }
    STDMETHODIMP get_language(BSTR* p) override { return GetAttribute(u"language", p); }
    STDMETHODIMP put_onselectstart(VARIANT v) override { return PutHandler(u"onselectstart", v); }
    STDMETHODIMP get_onselectstart(VARIANT* p) override { return GetHandler(u"onselectstart", p); }
    STDMETHODIMP scrollIntoView(VARIANT alignToTop) override {
        return geometry_members::ScrollIntoView(*this->dom_, this->node_, alignToTop);
    }
    STDMETHODIMP contains(IDispatch* child, VARIANT_BOOL* result) override {
        if (!result)
            return E_POINTER;
        const Node* other = NodeOfArgument(child, *this->dom_);
        *result = other && IsInclusiveAncestor(this->node_, other) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_sourceIndex(LONG* p) override {
        if (!p)
            return E_POINTER;
        *p = -1;
        Node* document = this->dom_->tree.Document();
        if (!IsInclusiveAncestor(document, this->node_))
            return S_OK;
        LONG index = 0;
        for (Node* n = document->firstChild; n && n != this->node_; n = NextInTree(n, document))
            index += n->IsElement() ? 1 : 0;
        *p = index;
        return S_OK;
    }
    // No data binding: no record.
    STDMETHODIMP get_recordNumber(VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        p->vt = VT_NULL;
        return S_OK;
    }
    STDMETHODIMP put_lang(BSTR v) override { return PutAttribute(u"lang", v); }
    STDMETHODIMP get_lang(BSTR* p) override { return GetAttribute(u"lang", p); }
    // Geometry is 0 until the document has layout.
    ElementGeometry Geometry() {
        return this->dom_->geometry ? this->dom_->geometry->Geometry(this->node_) : ElementGeometry{};
    }
    static HRESULT Put(LONG value, LONG* p) { return p ? (*p = value, S_OK) : E_POINTER; }
    STDMETHODIMP get_offsetLeft(LONG* p) override { return Put(Geometry().offsetLeft, p); }
    STDMETHODIMP get_offsetTop(LONG* p) override { return Put(Geometry().offsetTop, p); }
    STDMETHODIMP get_offsetWidth(LONG* p) override { return Put(Geometry().offsetWidth, p); }
    STDMETHODIMP get_offsetHeight(LONG* p) override { return Put(Geometry().offsetHeight, p); }
    STDMETHODIMP get_offsetParent(IDispatch** p) override {
        return ReturnObject(this->dom_, Geometry().offsetParent, p);
    }
    STDMETHODIMP put_innerHTML(BSTR v) override {
        if (element_detail::HasReadOnlyContent(this->node_->name))
            return ReadOnlyContent();
        std::vector<Node*> nodes;
        const ParseError error = ParseHtmlFragment(this->dom_->tree, ViewOf(v), this->node_->name, nodes);
        if (error != ParseError::None)
            return com::ReportError(IID_IHTMLElement, element_detail::kSource, DescribeParseError(error),
                                    E_FAIL);
        this->dom_->tree.RemoveChildren(this->node_);
        for (Node* n : nodes)
            this->dom_->tree.Insert(this->node_, n, nullptr);
        return S_OK;
    }
    STDMETHODIMP get_innerHTML(BSTR* p) override { return ReturnText(InnerHtml(this->node_), p); }
    STDMETHODIMP put_innerText(BSTR v) override {
        if (element_detail::HasReadOnlyContent(this->node_->name))
            return ReadOnlyContent();
        if (IsRawTextElement(this->node_->name)) {
            this->dom_->tree.RemoveChildren(this->node_);
            if (SysStringLen(v))
                this->dom_->tree.Insert(this->node_, this->dom_->tree.CreateText(ViewOf(v)), nullptr);
            return S_OK;
        }
        element_detail::SetTextContent(this->dom_->tree, this->node_, ViewOf(v));
        return S_OK;
    }
    STDMETHODIMP get_innerText(BSTR* p) override { return ReturnText(InnerText(this->node_), p); }
    STDMETHODIMP put_outerHTML(BSTR v) override {
        if (!this->node_->parent || this->node_->parent->type == NodeType::Document)
            return ReadOnlyContent();
        std::vector<Node*> nodes;
        HRESULT hr = ParseForPosition(*this->dom_, this->node_, Adjacent::BeforeBegin, ViewOf(v), nodes);
        if (SUCCEEDED(hr))
            hr = InsertAdjacentNodes(*this->dom_, this->node_, Adjacent::BeforeBegin, nodes);
        if (SUCCEEDED(hr))
            this->dom_->tree.Remove(this->node_);
        return hr;
    }
    STDMETHODIMP get_outerHTML(BSTR* p) override { return ReturnText(OuterHtml(this->node_), p); }
    STDMETHODIMP put_outerText(BSTR v) override {
        if (!this->node_->parent || this->node_->parent->type == NodeType::Document)
            return ReadOnlyContent();
        Node* holder = this->dom_->tree.CreateElement(u"span");
        this->dom_->tree.Hold(holder);
        element_detail::SetTextContent(this->dom_->tree, holder, ViewOf(v));
        while (Node* n = holder->firstChild)
            this->dom_->tree.Insert(this->node_->parent, n, this->node_);
        this->dom_->tree.Release(holder);
        this->dom_->tree.Remove(this->node_);
        return S_OK;
    }
    STDMETHODIMP get_outerText(BSTR* p) override { return get_innerText(p); }
    STDMETHODIMP insertAdjacentHTML(BSTR where, BSTR html) override {
        Adjacent at;
        if (!ParseAdjacent(ViewOf(where), &at))
            return E_INVALIDARG;
        std::vector<Node*> nodes;
        const HRESULT hr = ParseForPosition(*this->dom_, this->node_, at, ViewOf(html), nodes);
        return FAILED(hr) ? hr : InsertAdjacentNodes(*this->dom_, this->node_, at, nodes);
    }
    STDMETHODIMP insertAdjacentText(BSTR where, BSTR text) override {
        Adjacent at;
        if (!ParseAdjacent(ViewOf(where), &at))
            return E_INVALIDARG;
        if (!SysStringLen(text))
            return S_OK;
        return InsertAdjacentNodes(*this->dom_, this->node_, at, {this->dom_->tree.CreateText(ViewOf(text))});
    }
    STDMETHODIMP get_parentTextEdit(IDispatch** p) override {
        Node* n = this->node_->parent;
        while (n && !IsTextEditNode(n))
            n = n->parent;
        return ReturnObject(this->dom_, n, p);
    }
    STDMETHODIMP isTextEdit(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = IsTextEditNode(this->node_) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    // IHTMLElement2, IHTMLElement3: handlers and events of script's own
    STDMETHODIMP attachEvent(BSTR event, IDispatch* handler, VARIANT_BOOL* done) override {
        return this->dom_->events ? this->dom_->events->Attach(this->node_, ViewOf(event), handler, done)
                                  : E_NOTIMPL;
    }
    STDMETHODIMP detachEvent(BSTR event, IDispatch* handler) override {
        return this->dom_->events ? this->dom_->events->Detach(this->node_, ViewOf(event), handler)
                                  : E_NOTIMPL;
    }
    STDMETHODIMP fireEvent(BSTR event, VARIANT* eventObject, VARIANT_BOOL* done) override {
        VARIANT none;
        VariantInit(&none);
        return this->dom_->events ? this->dom_->events->Fire(this->node_, ViewOf(event),
                                                             eventObject ? ValueOf(*eventObject) : none, done)
                                  : E_NOTIMPL;
    }
    STDMETHODIMP click() override {
        return this->dom_->events ? this->dom_->events->Click(this->node_) : E_NOTIMPL;
    }
    STDMETHODIMP get_filters(IDispatch** p) override { return NotHere(p); }
    STDMETHODIMP put_ondragstart(VARIANT v) override { return PutHandler(u"ondragstart", v); }
    STDMETHODIMP get_ondragstart(VARIANT* p) override { return GetHandler(u"ondragstart", p); }
    STDMETHODIMP toString(BSTR* p) override { return ReturnText(u"[object]", p); }
    STDMETHODIMP put_onbeforeupdate(VARIANT v) override { return PutHandler(u"onbeforeupdate", v); }
    STDMETHODIMP get_onbeforeupdate(VARIANT* p) override { return GetHandler(u"onbeforeupdate", p); }
    STDMETHODIMP put_onafterupdate(VARIANT v) override { return PutHandler(u"onafterupdate", v); }
    STDMETHODIMP get_onafterupdate(VARIANT* p) override { return GetHandler(u"onafterupdate", p); }
    STDMETHODIMP put_onerrorupdate(VARIANT v) override { return PutHandler(u"onerrorupdate", v); }
    STDMETHODIMP get_onerrorupdate(VARIANT* p) override { return GetHandler(u"onerrorupdate", p); }
    STDMETHODIMP put_onrowexit(VARIANT v) override { return PutHandler(u"onrowexit", v); }
    STDMETHODIMP get_onrowexit(VARIANT* p) override { return GetHandler(u"onrowexit", p); }
    STDMETHODIMP put_onrowenter(VARIANT v) override { return PutHandler(u"onrowenter", v); }
    STDMETHODIMP get_onrowenter(VARIANT* p) override { return GetHandler(u"onrowenter", p); }
    STDMETHODIMP put_ondatasetchanged(VARIANT v) override { return PutHandler(u"ondatasetchanged", v); }
    STDMETHODIMP get_ondatasetchanged(VARIANT* p) override { return GetHandler(u"ondatasetchanged", p); }
    STDMETHODIMP put_ondataavailable(VARIANT v) override { return PutHandler(u"ondataavailable", v); }
    STDMETHODIMP get_ondataavailable(VARIANT* p) override { return GetHandler(u"ondataavailable", p); }
    STDMETHODIMP put_ondatasetcomplete(VARIANT v) override { return PutHandler(u"ondatasetcomplete", v); }
    STDMETHODIMP get_ondatasetcomplete(VARIANT* p) override { return GetHandler(u"ondatasetcomplete", p); }
    STDMETHODIMP put_onfilterchange(VARIANT v) override { return PutHandler(u"onfilterchange", v); }
    STDMETHODIMP get_onfilterchange(VARIANT* p) override { return GetHandler(u"onfilterchange", p); }
    STDMETHODIMP get_children(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::Children, {}, {}}, p);
    }
    STDMETHODIMP get_all(IDispatch** p) override {
        return MakeElementCollection(this->dom_, this->node_, {CollectionScope::Kind::Descendants, {}, {}},
                                     p);
    }

    // IHTMLElement2
    STDMETHODIMP get_currentStyle(IDispatch** p) override { return Style(ElementStyleKind::Current, p); }
    STDMETHODIMP get_runtimeStyle(IDispatch** p) override { return Style(ElementStyleKind::Runtime, p); }
    STDMETHODIMP get_scopeName(BSTR* p) override {
        const std::size_t colon = this->node_->name.find(u':');
        return ReturnText(colon == std::u16string::npos ? u"HTML" : this->node_->name.substr(0, colon), p);
    }
    STDMETHODIMP componentFromPoint(LONG x, LONG y, BSTR* p) override {
        return geometry_members::ComponentFromPoint(*this->dom_, this->node_, x, y, p);
    }
    STDMETHODIMP getClientRects(IDispatch** p) override {
        return geometry_members::ClientRects(*this->dom_, this->node_, p);
    }
    STDMETHODIMP getBoundingClientRect(IDispatch** p) override {
        return geometry_members::BoundingClientRect(*this->dom_, this->node_, p);
    }
    STDMETHODIMP put_tabIndex(SHORT v) override {
        this->node_->SetAttribute(u"tabIndex", std::u16string(u"") + AsText(v));
        return S_OK;
    }
    STDMETHODIMP get_tabIndex(SHORT* p) override {
        if (!p)
            return E_POINTER;
        *p = 0;
        const std::u16string_view text = this->node_->AttributeValue(u"tabIndex");
        int value = 0;
        bool negative = !text.empty() && text[0] == u'-';
        for (std::size_t i = negative ? 1 : 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            value = std::min(value * 10 + (text[i] - u'0'), 32767);
        *p = static_cast<SHORT>(negative ? -value : value);
        return S_OK;
    }
    STDMETHODIMP get_clientHeight(LONG* p) override { return Put(this->Geometry().clientHeight, p); }
    STDMETHODIMP get_clientWidth(LONG* p) override { return Put(this->Geometry().clientWidth, p); }
    STDMETHODIMP get_clientTop(LONG* p) override { return Put(this->Geometry().clientTop, p); }
    STDMETHODIMP get_clientLeft(LONG* p) override { return Put(this->Geometry().clientLeft, p); }
    STDMETHODIMP get_readyState(VARIANT* p) override {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        p->vt = VT_BSTR;
        p->bstrVal = com::Bstr(u"complete").Detach();
        return S_OK;
    }
    STDMETHODIMP get_scrollHeight(LONG* p) override {
        return Scroll(geometry_members::ScrollMember::Height, p);
    }
    STDMETHODIMP get_scrollWidth(LONG* p) override {
        return Scroll(geometry_members::ScrollMember::Width, p);
    }
    STDMETHODIMP get_scrollTop(LONG* p) override { return Scroll(geometry_members::ScrollMember::Top, p); }
    STDMETHODIMP put_scrollTop(LONG v) override {
        return geometry_members::PutScroll(*this->dom_, this->node_, geometry_members::ScrollMember::Top, v);
    }
    STDMETHODIMP get_scrollLeft(LONG* p) override { return Scroll(geometry_members::ScrollMember::Left, p); }
    STDMETHODIMP put_scrollLeft(LONG v) override {
        return geometry_members::PutScroll(*this->dom_, this->node_, geometry_members::ScrollMember::Left, v);
    }
    // Every attribute but the id goes.
    STDMETHODIMP clearAttributes() override {
        std::erase_if(this->node_->attributes,
                      [](const Attribute& a) { return !EqualsNoCase(a.name, u"id"); });
        this->dom_->tree.Touch();
        return S_OK;
    }
    // Copies every attribute but the id and the name.
    STDMETHODIMP mergeAttributes(IDispatch* source) override {
        const Node* from = NodeOfArgument(source, *this->dom_);
        if (!from || !from->IsElement())
            return E_INVALIDARG;
        const std::vector<Attribute> attributes = from->attributes;
        for (const Attribute& a : attributes)
            if (!EqualsNoCase(a.name, u"id") && !EqualsNoCase(a.name, u"name"))
                this->node_->SetAttribute(a.name, a.value);
        return S_OK;
    }
    STDMETHODIMP insertAdjacentElement(BSTR where, IDispatch* element, IDispatch** inserted) override {
        if (!inserted)
            return E_POINTER;
        *inserted = nullptr;
        Adjacent at;
        Node* n = NodeOfArgument(element, *this->dom_);
        if (!ParseAdjacent(ViewOf(where), &at) || !n || !n->IsElement())
            return E_INVALIDARG;
        const HRESULT hr = InsertAdjacentNodes(*this->dom_, this->node_, at, {n});
        return FAILED(hr) ? hr : ReturnObject(this->dom_, n, inserted);
    }
    // "outside" (the default) wraps this element in the one given; "inside" wraps its content.
    STDMETHODIMP applyElement(IDispatch* apply, BSTR where, IDispatch** applied) override {
        if (!applied)
            return E_POINTER;
        *applied = nullptr;
        Node* wrapper = NodeOfArgument(apply, *this->dom_);
        const std::u16string_view w = ViewOf(where);
        const bool inside = EqualsNoCase(w, u"inside");
        if (!wrapper || !wrapper->IsElement() || (!inside && !w.empty() && !EqualsNoCase(w, u"outside")) ||
            IsInclusiveAncestor(wrapper, this->node_))
            return E_INVALIDARG;
        this->dom_->tree.RemoveChildren(wrapper);
        if (inside) {
            while (Node* child = this->node_->firstChild)
                this->dom_->tree.Insert(wrapper, child, nullptr);
            this->dom_->tree.Insert(this->node_, wrapper, nullptr);
        } else {
            if (!this->node_->parent || this->node_->parent->type == NodeType::Document)
                return E_FAIL;
            this->dom_->tree.Insert(this->node_->parent, wrapper, this->node_);
            this->dom_->tree.Insert(wrapper, this->node_, nullptr);
        }
        return ReturnObject(this->dom_, wrapper, applied);
    }
    STDMETHODIMP getAdjacentText(BSTR where, BSTR* text) override {
        Adjacent at;
        if (!ParseAdjacent(ViewOf(where), &at))
            return E_INVALIDARG;
        const Node* n = AdjacentText(at);
        return ReturnText(n ? std::u16string_view(n->text) : std::u16string_view(), text);
    }
    STDMETHODIMP replaceAdjacentText(BSTR where, BSTR newText, BSTR* oldText) override {
        Adjacent at;
        if (!ParseAdjacent(ViewOf(where), &at))
            return E_INVALIDARG;
        Node* n = AdjacentText(at);
        const HRESULT hr = ReturnText(n ? std::u16string_view(n->text) : std::u16string_view(), oldText);
        if (FAILED(hr))
            return hr;
        if (n) {
            n->text = ViewOf(newText);
            this->dom_->tree.Touch();
            return S_OK;
        }
        if (!SysStringLen(newText))
            return S_OK;
        return InsertAdjacentNodes(*this->dom_, this->node_, at,
                                   {this->dom_->tree.CreateText(ViewOf(newText))});
    }
    STDMETHODIMP get_canHaveChildren(VARIANT_BOOL* p) override {
        if (!p)
            return E_POINTER;
        *p = IsVoidElement(this->node_->name) ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    }
    // Behaviours belong to the behaviour piece.
    STDMETHODIMP addBehavior(BSTR url, VARIANT* factory, LONG* cookie) override {
        if (!cookie)
            return E_POINTER;
        *cookie = 0;
        VARIANT none;
        VariantInit(&none);
        return this->dom_->behaviors ? this->dom_->behaviors->Add(this->node_, ViewOf(url),
                                                                  factory ? ValueOf(*factory) : none, cookie)
                                     : E_NOTIMPL;
    }
    STDMETHODIMP removeBehavior(LONG cookie, VARIANT_BOOL* removed) override {
        if (!removed)
            return E_POINTER;
        *removed = VARIANT_FALSE;
        return this->dom_->behaviors ? this->dom_->behaviors->Remove(this->node_, cookie, removed)
                                     : E_NOTIMPL;
    }
    STDMETHODIMP get_tagUrn(BSTR* p) override { return ReturnText(u"", p); }
    STDMETHODIMP getElementsByTagName(BSTR v, IDispatch** p) override {
        const std::u16string tag = LowerAscii(ViewOf(v));
        return MakeElementCollection(this->dom_, this->node_,
                                     {CollectionScope::Kind::Descendants, tag == u"*" ? u"" : tag, {}}, p);
    }

    // IHTMLUniqueName
    STDMETHODIMP get_uniqueNumber(LONG* p) override {
        if (!p)
            return E_POINTER;
        if (!this->node_->uniqueNumber)
            this->node_->uniqueNumber = this->dom_->tree.NextUniqueNumber();
        *p = static_cast<LONG>(this->node_->uniqueNumber);
        return S_OK;
    }
    STDMETHODIMP get_uniqueID(BSTR* p) override {
        LONG number = 0;
        get_uniqueNumber(&number);
        return ReturnText(u"ms__id" + AsText(number), p);
    }

    // The element's connection points are the page's events'.
    void* QueryOtherInterface(REFIID riid) {
        if (!IsEqualIID(riid, IID_IConnectionPointContainer) || !this->dom_->events)
            return nullptr;
        return this->dom_->events->ConnectionPoints(this->node_);
    }

protected:
    com::DynamicNames* FallbackNames() override { return names_.get(); }
    // Handler properties, attachEvent and fireEvent go to the page's event piece.
    HRESULT PutHandler(std::u16string_view name, const VARIANT& v) {
        return this->dom_->events ? this->dom_->events->PutHandler(this->node_, name, ValueOf(v)) : E_NOTIMPL;
    }
    HRESULT GetHandler(std::u16string_view name, VARIANT* p) {
        if (!p)
            return E_POINTER;
        VariantInit(p);
        if (!this->dom_->events) {
            p->vt = VT_NULL;
            return S_OK;
        }
        return this->dom_->events->GetHandler(this->node_, name, p);
    }
    com::DynamicNames* ShadowingNames() override {
        return this->dom_->behaviors ? behaviorNames_.get() : nullptr;
    }

private:
    static std::u16string AsText(long value) {
        const std::string digits = std::to_string(value);
        return std::u16string(digits.begin(), digits.end());
    }
    // The old browser's property names for two attributes.
    static std::u16string_view AttributeFor(std::u16string_view name) {
        if (EqualsNoCase(name, u"className"))
            return u"class";
        if (EqualsNoCase(name, u"htmlFor"))
            return u"for";
        return name;
    }
    HRESULT Scroll(geometry_members::ScrollMember member, LONG* p) {
        return geometry_members::GetScroll(*this->dom_, this->node_, member, p);
    }
    HRESULT PutAttribute(std::u16string_view name, BSTR value) {
        this->node_->SetAttribute(name, ViewOf(value));
        return S_OK;
    }
    HRESULT GetAttribute(std::u16string_view name, BSTR* out) {
        return ReturnText(this->node_->AttributeValue(name), out);
    }
    // The style objects hold this object; the owner they see lives as long as it.
    HRESULT Style(ElementStyleKind kind, IDispatch** p) {
        if (!p)
            return E_POINTER;
        *p = nullptr;
        if (!styleOwner_)
            styleOwner_ = MakeElementStyleOwner(this->dom_, this->node_, static_cast<IDispatchEx*>(this));
        return ElementStyleObject(*styleOwner_, kind, p);
    }
    static HRESULT NotHere(IDispatch** p) {
        if (p)
            *p = nullptr;
        return E_NOTIMPL;
    }
    static HRESULT NotHere(VARIANT* p) {
        if (p)
            VariantInit(p);
        return E_NOTIMPL;
    }
    static HRESULT ReadOnlyContent() {
        return com::ReportError(IID_IHTMLElement, element_detail::kSource, u"Unknown runtime error", E_FAIL);
    }
    static bool IsTextEditNode(const Node* n) {
        return n->Is(u"body") || n->Is(u"textarea") || n->Is(u"button") || (n->Is(u"input") && [n] {
                   const std::u16string_view type = n->AttributeValue(u"type", u"text");
                   return EqualsNoCase(type, u"text") || EqualsNoCase(type, u"password") ||
                          EqualsNoCase(type, u"hidden") || EqualsNoCase(type, u"button") ||
                          EqualsNoCase(type, u"submit") || EqualsNoCase(type, u"reset");
               }());
    }
    Node* AdjacentText(Adjacent at) const {
        Node* n = nullptr;
        switch (at) {
        case Adjacent::BeforeBegin:
            n = this->node_->previous;
            break;
        case Adjacent::AfterBegin:
            n = this->node_->firstChild;
            break;
        case Adjacent::BeforeEnd:
            n = this->node_->lastChild;
            break;
        case Adjacent::AfterEnd:
            n = this->node_->next;
            break;
        }
        return n && n->type == NodeType::Text ? n : nullptr;
    }

    std::unique_ptr<AttributeNames> names_;
    ElementStyleOwnerPtr styleOwner_;
    std::unique_ptr<BehaviorNames> behaviorNames_;
};

} // namespace qx::html::dom
