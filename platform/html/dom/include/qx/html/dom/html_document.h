// Documents as COM objects: one object per node while anything references it (the same one every
// time), a document object answering IHTMLDocument2/3, elements answering IHTMLElement(2),
// IHTMLDOMNode and IHTMLUniqueName, texts and comments answering IHTMLDOMNode, and live element
// collections.
#pragma once

#include "mshtml.h"
#include "mshtml_object.h"
#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/node_tree.h"

#include <memory>
#include <string_view>

namespace qx::html::dom {

// An element's geometry as layout gives it; all 0 and no offsetParent while a document has no layout.
struct ElementGeometry {
    Node* offsetParent = nullptr;
    LONG offsetLeft = 0, offsetTop = 0, offsetWidth = 0, offsetHeight = 0;
    LONG clientLeft = 0, clientTop = 0, clientWidth = 0, clientHeight = 0;
};

// Where the element objects read geometry from (the layout piece installs one).
class GeometrySource {
public:
    virtual ~GeometrySource() = default;
    virtual ElementGeometry Geometry(Node* element) = 0;
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

// The controls of a document's OBJECT elements, as the page that hosts them gives them.
class HostedObjects {
public:
    virtual ~HostedObjects() = default;
    // The control of an OBJECT element for script: S_OK with it; S_FALSE and null when the element
    // hosts none or its control refused to be scripted.
    virtual HRESULT ScriptableControl(Node* element, IDispatch** control) = 0;
};

// What a document's objects share: the tree and the document's own properties.
struct DomDocument {
    NodeTree tree;
    std::shared_ptr<ElementEvents> events; // set by the page that runs the document
    IDispatch* script = nullptr;           // the page's script object while it runs; no reference held
    IDispatch* documentObject = nullptr;   // while one lives; no reference held
    std::u16string readyState = u"complete";
    std::unique_ptr<GeometrySource> geometry;
    std::shared_ptr<HostedObjects> objects; // set by the page that hosts the OBJECT elements' controls
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
