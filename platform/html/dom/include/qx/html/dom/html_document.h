// Documents as COM objects: one object per node while anything references it (the same one every
// time), a document object answering IHTMLDocument2/3, elements answering IHTMLElement(2),
// IHTMLDOMNode and IHTMLUniqueName, texts and comments answering IHTMLDOMNode, and live element
// collections.
#pragma once

#include "mshtml.h"
#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/node_tree.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::html::dom {

// An element's geometry as layout gives it; all 0 and no offsetParent while a document has no layout.
struct ElementGeometry {
    Node* offsetParent = nullptr;
    LONG offsetLeft = 0, offsetTop = 0, offsetWidth = 0, offsetHeight = 0;
    LONG clientLeft = 0, clientTop = 0, clientWidth = 0, clientHeight = 0;
    LONG scrollLeft = 0, scrollTop = 0, scrollWidth = 0, scrollHeight = 0;
};

// A rectangle in the window's client coordinates.
struct ClientRect {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

// Where the element objects read geometry from (the layout piece installs one). Without layout the
// rectangles are empty, nothing scrolls and no point holds an element.
class GeometrySource {
public:
    virtual ~GeometrySource() = default;
    virtual ElementGeometry Geometry(Node* element) = 0;
    // The border box (an inline element's: the union of its line fragments).
    virtual ClientRect BoundingClientRect(Node*) { return {}; }
    // The border box, or an inline element's line fragments; none for what is not rendered.
    virtual std::vector<ClientRect> ClientRects(Node*) { return {}; }
    // Puts the element's (BODY's or HTML's: the page's) scroll position; nothing for an unset one.
    virtual void SetScroll(Node*, std::optional<LONG> /*left*/, std::optional<LONG> /*top*/) {}
    // Scrolls the page and the scroll containers around the element so that it shows, its top at
    // the top of the view (alignToTop) or its bottom at the bottom.
    virtual void ScrollIntoView(Node*, bool /*alignToTop*/) {}
    virtual Node* ElementFromPoint(LONG /*clientX*/, LONG /*clientY*/) { return nullptr; }
    virtual std::u16string ComponentFromPoint(Node*, LONG /*clientX*/, LONG /*clientY*/) {
        return u"outside";
    }
};

// What the event piece answers for a document's elements: handler properties (`onclick`),
// attachEvent/detachEvent, fireEvent and click(). Without one those members answer E_NOTIMPL.
class ElementEvents {
public:
    virtual ~ElementEvents() = default;
    virtual HRESULT PutHandler(Node* node, std::u16string_view name, const VARIANT& handler) = 0;
    virtual HRESULT GetHandler(Node* node, std::u16string_view name, VARIANT* handler) = 0;
    virtual HRESULT Attach(Node* node, std::u16string_view name, IDispatch* handler, VARIANT_BOOL* done) = 0;
    virtual HRESULT Detach(Node* node, std::u16string_view name, IDispatch* handler) = 0;
    virtual HRESULT Fire(Node* node, std::u16string_view name, const VARIANT& eventObject,
                         VARIANT_BOOL* done) = 0;
    virtual HRESULT Click(Node* node) = 0;
};

// What a document's objects share: the tree and the document's own properties.
struct DomDocument {
    NodeTree tree;
    std::shared_ptr<ElementEvents> events; // set by the page that runs the document
    IDispatch* script = nullptr;           // the page's script object while it runs; no reference held
    IDispatch* documentObject = nullptr;   // while one lives; no reference held
    std::u16string readyState = u"complete";
    std::unique_ptr<GeometrySource> geometry;
};

using DomPtr = std::shared_ptr<DomDocument>;

struct DocumentSource {
    DocumentBytes bytes;
    std::u16string_view url;
};

// A document object over the parsed bytes. A parse failure gives E_FAIL with the error information
// saying what limit was passed.
HRESULT LoadHtmlDocumentObject(const DocumentSource& source, IHTMLDocument2** document);
// A document object over text already decoded (its charset stays "utf-8" until put).
HRESULT ParseHtmlDocumentObject(std::u16string_view html, IHTMLDocument2** document);
// The one document object of a tree.
HRESULT DocumentObjectOf(const DomPtr& dom, IHTMLDocument2** document);
// The one object of a node (null for a null node).
HRESULT NodeObjectOf(const DomPtr& dom, Node* node, IDispatch** object);

} // namespace qx::html::dom

// How the browser's other pieces (styles, layout, events) reach the node behind an object of this
// document object model.
QX_DECLARE_INTERFACE(IHtmlNodeAccess, "{7C47BB3B-CE84-4A0C-AD46-B97601A89672}");
struct IHtmlNodeAccess : IUnknown {
    virtual qx::html::dom::Node* STDMETHODCALLTYPE AccessNode() = 0;
    virtual const qx::html::dom::DomPtr& STDMETHODCALLTYPE AccessDocument() = 0;

protected:
    ~IHtmlNodeAccess() = default;
};
