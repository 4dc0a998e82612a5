// Documents as COM objects: one object per node while anything references it (the same one every
// time), a document object answering IHTMLDocument2/3, elements answering IHTMLElement(2),
// IHTMLDOMNode and IHTMLUniqueName, texts and comments answering IHTMLDOMNode, and live element
// collections.
#pragma once

#include "dispex.h"
#include "mshtml.h"
#include "mshtml_object.h"
#include "ocidl.h"
#include "qx/html/dom/html_parser.h"
#include "qx/html/dom/node_tree.h"

#include <functional>
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

// A place in the text of the page: a text node and a character offset, or an element and a child
// offset (before that child).
struct TextPoint {
    Node* node = nullptr;
    std::size_t offset = 0;
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
    // What a percentage width of the element counts from; nothing when layout does not resolve one.
    virtual std::optional<LONG> PercentWidthBase(Node* element) = 0;
    // The text position nearest a point of the client area (what a click there would put the caret
    // at); no node when the point is outside the page or no text position is near it.
    virtual TextPoint TextPointFromPoint(LONG /*clientX*/, LONG /*clientY*/) { return {}; }
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

struct DomDocument;

// What the editing piece answers for a document: `document.selection` and the text ranges that
// BODY's createTextRange makes. Without one those members answer E_NOTIMPL.
class DocumentEditing {
public:
    virtual ~DocumentEditing() = default;
    virtual HRESULT Selection(const std::shared_ptr<DomDocument>& dom, IDispatch** selection) = 0;
    virtual HRESULT CreateTextRange(const std::shared_ptr<DomDocument>& dom, Node* element,
                                    IDispatch** range) = 0;
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
    // The connection points of an element or of the document node (no reference taken; they live
    // as long as the page's events); null when the node has none.
    virtual IConnectionPointContainer* ConnectionPoints(Node* node) = 0;
};

// Where a document goes when script moves it (the browser control installs one): `location` puts,
// `reload`, `replace` and form submission. Without one those members fail with E_NOTIMPL.
class DocumentNavigation {
public:
    virtual ~DocumentNavigation() = default;
    // Loads the address into the document's window; postData (form submission) is sent as the
    // body of a POST when not empty; replace: the history entry of this document is replaced.
    virtual HRESULT Navigate(std::u16string_view url, std::string_view postData, bool replace) = 0;
    virtual HRESULT Reload() = 0;
    // A form sent by POST: its body with the body's content type ("application/x-www-form-
    // urlencoded", "multipart/form-data; boundary=..."). By default, Navigate with the body.
    virtual HRESULT Post(std::u16string_view url, std::string_view body, std::string_view contentType);
    // The document's IPersistStreamInit: replaces the content with the bytes (ReplaceDocumentContent)
    // and completes the load as a navigation completes (Load), or empties it and stops what was
    // loading (InitNew: no bytes). By default the content is replaced at once.
    virtual HRESULT ReplaceContent(DomDocument& dom, const DocumentBytes* source);
};

// The controls of a document's OBJECT elements, as the page that hosts them gives them.
class HostedObjects {
public:
    virtual ~HostedObjects() = default;
    // The control of an OBJECT element for script: S_OK with it; S_FALSE and null when the element
    // hosts none or its control refused to be scripted.
    virtual HRESULT ScriptableControl(Node* element, IDispatch** control) = 0;
};

// What the behaviour piece answers for a document's elements: addBehavior/removeBehavior, and the
// members of an element's behaviours, which its IDispatch looks up before its own. Without one,
// addBehavior and removeBehavior answer E_NOTIMPL and elements have no behaviour members.
class ElementBehaviors {
public:
    virtual ~ElementBehaviors() = default;
    virtual HRESULT Add(Node* element, std::u16string_view url, const VARIANT& factory, LONG* cookie) = 0;
    virtual HRESULT Remove(Node* element, LONG cookie, VARIANT_BOOL* removed) = 0;
    // The element's behaviour members by name, as com::DynamicNames has them.
    virtual bool FindName(Node* element, std::u16string_view name, bool caseSensitive,
                          std::u16string* spelled) = 0;
    virtual HRESULT InvokeName(Node* element, std::u16string_view name, LCID lcid, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                               IServiceProvider* caller) = 0;
    virtual void ListNames(Node* element, std::vector<std::u16string>& names) = 0;
};

// What a document's objects share: the tree and the document's own properties.
struct DomDocument {
    NodeTree tree;
    std::shared_ptr<ElementEvents> events;       // set by the page that runs the document
    std::shared_ptr<ElementBehaviors> behaviors; // set by the page that hosts behaviours
    IDispatch* script = nullptr;                 // the page's script object while it runs; no reference held
    IDispatch* window = nullptr;         // the page's window (IHTMLWindow2) while it runs; no reference held
    IDispatch* documentObject = nullptr; // while one lives; no reference held
    std::u16string readyState = u"complete";
    Node* activeElement = nullptr; // the focus inside the page (held by the page's events); null: BODY
    std::unique_ptr<GeometrySource> geometry;
    std::shared_ptr<DocumentEditing> editing; // set by the page that runs the document
    std::shared_ptr<DocumentNavigation> navigation;
    // "Inherit", "On" or "Off"; whoever edits the document hears each put (to reload it in the mode).
    std::u16string designMode = u"Inherit";
    std::function<void()> designModeChanged;
    std::u16string windowName;              // window.name
    std::shared_ptr<HostedObjects> objects; // set by the page that hosts the OBJECT elements' controls
    // The content version when the document was last loaded or saved (IPersistStreamInit::IsDirty).
    std::uint64_t savedContentVersion = 0;
    // The window that shows the document, which the document's IOleWindow answers; null: none.
    HWND viewWindow = nullptr;
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
// Replaces the whole content of a document with the parsed bytes (an empty document without any),
// keeping its objects, its events and its address: the HTML element's object and the behaviours of
// the old content are let go. A parse failure leaves the document empty and gives E_FAIL.
HRESULT ReplaceDocumentContent(DomDocument& dom, const DocumentBytes* source);
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
