// The controls of a page's OBJECT elements.
#include "qx/html/browser/page_objects.h"

#include "qx/com/bstr.h"

#include <objbase.h>
#include <objbase_activation.h>
#include <objsafe.h>

#include <algorithm>
#include <string>

namespace qx::html::browser {
namespace {

// "clsid:XXXXXXXX-XXXX-..." (any case, braces optional) as a CLSID; false for anything else.
bool ParseClassId(std::u16string_view text, CLSID* clsid) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    if (text.size() < 6 || dom::LowerAscii(text.substr(0, 6)) != u"clsid:")
        return false;
    text.remove_prefix(6);
    std::u16string braced(text);
    if (braced.empty() || braced.front() != u'{')
        braced = u"{" + braced + u"}";
    return SUCCEEDED(CLSIDFromString(braced.c_str(), clsid));
}

LONG Dimension(const dom::Node* element, std::u16string_view name) {
    std::u16string_view text = element->AttributeValue(name);
    LONG value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000; ++i)
        value = value * 10 + (text[i] - u'0');
    return value;
}

std::string Utf8(std::u16string_view text) {
    return com::Utf16ToUtf8(text);
}

// What the document holds: the page's objects without keeping them alive, since they hold the
// document.
class ObjectsLink final : public dom::HostedObjects {
public:
    explicit ObjectsLink(std::weak_ptr<PageObjects> objects) : objects_(std::move(objects)) {}
    HRESULT ScriptableControl(dom::Node* element, IDispatch** control) override {
        if (std::shared_ptr<PageObjects> objects = objects_.lock())
            return objects->ScriptableControl(element, control);
        if (control)
            *control = nullptr;
        return control ? S_FALSE : E_POINTER;
    }

private:
    std::weak_ptr<PageObjects> objects_;
};

} // namespace

PageObjects::PageObjects(dom::DomPtr dom, PageObjectsOptions options)
    : dom_(std::move(dom)), options_(std::move(options)) {}

PageObjects::~PageObjects() {
    Close();
}

HRESULT PageObjects::Open(IHTMLDocument2* document, PageObjectsOptions options,
                          std::shared_ptr<PageObjects>* objects) {
    if (!objects)
        return E_POINTER;
    objects->reset();
    com::ComPtr<IHtmlNodeAccess> access = com::ComPtr<IHtmlNodeAccess>::QueryFrom(document);
    if (!access)
        return E_INVALIDARG;
    std::shared_ptr<PageObjects> made(new PageObjects(access->AccessDocument(), std::move(options)));
    made->link_ = std::make_shared<ObjectsLink>(made);
    made->dom_->objects = made->link_;
    *objects = std::move(made);
    return S_OK;
}

void PageObjects::CreateControls() {
    if (closed_)
        return;
    std::vector<dom::Node*> elements;
    dom::Node* document = dom_->tree.Document();
    for (dom::Node* n = dom::NextInTree(document, document); n; n = dom::NextInTree(n, document))
        if (n->Is(u"object") && std::find(tried_.begin(), tried_.end(), n) == tried_.end())
            elements.push_back(n);
    for (dom::Node* element : elements) {
        dom_->tree.Hold(element);
        tried_.push_back(element);
    }
    // Creating a control may run its code, which may change the document: the list is fixed first.
    for (dom::Node* element : elements)
        if (!closed_)
            CreateControl(element);
}

void PageObjects::CreateControl(dom::Node* element) {
    CLSID clsid{};
    if (!ParseClassId(element->AttributeValue(u"classid"), &clsid))
        return;
    com::ComPtr<IUnknown> control;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control))))
        return;
    const std::u16string id(element->AttributeValue(u"id"));

    com::control::ControlHostOptions host;
    host.parent = options_.pageWindow;
    host.position = BoxOf(element);
    host.container = options_.container;
    host.ambients[DISPID_AMBIENT_DISPLAYNAME] = com::Variant(std::u16string_view(id));
    for (dom::Node* child = element->firstChild; child; child = child->next)
        if (child->Is(u"param") && child->FindAttribute(u"name"))
            host.params.emplace_back(child->AttributeValue(u"name"), child->AttributeValue(u"value"));
    // PARAMs are untrusted data: a control not safe for it starts without them.
    if (!host.params.empty() && !ControlIsSafe(control.Get(), clsid, IID_IPersistPropertyBag,
                                               INTERFACESAFE_FOR_UNTRUSTED_DATA, CATID_SafeForInitializing)) {
        host.params.clear();
        Report("The ActiveX control \"" + Utf8(id) +
               "\" is not safe for initialization: its PARAMs were not given to it");
    }
    const bool scriptable = ControlIsSafe(control.Get(), clsid, IID_IDispatch,
                                          INTERFACESAFE_FOR_UNTRUSTED_CALLER, CATID_SafeForScripting);
    if (!scriptable)
        Report("The ActiveX control \"" + Utf8(id) + "\" is not safe for scripting: script cannot use it");
    if (scriptable && options_.events) {
        events::PageEvents* events = options_.events;
        host.onEvent = [events, element](DISPID, const std::u16string& name,
                                         std::vector<com::Variant>& args) {
            events->CallControlEvent(element, name, args);
        };
    }
    std::unique_ptr<com::control::ControlHost> made;
    if (FAILED(com::control::ControlHost::Host(control.Get(), std::move(host), &made)))
        return;
    dom_->tree.Hold(element);
    hosted_.push_back({element, std::move(made), scriptable});
}

RECT PageObjects::BoxOf(dom::Node* element) const {
    if (options_.layoutBox)
        return options_.layoutBox(element);
    return {0, 0, Dimension(element, u"width"), Dimension(element, u"height")};
}

void PageObjects::PlaceControls() {
    for (Hosted& h : hosted_)
        if (h.host)
            h.host->Move(BoxOf(h.element));
}

void PageObjects::Close() {
    if (closed_)
        return;
    closed_ = true;
    // Taken out first: a control's close may reach back into the page.
    std::vector<Hosted> hosted = std::move(hosted_);
    hosted_.clear();
    for (Hosted& h : hosted) {
        h.host->Close();
        h.host.reset();
        dom_->tree.Release(h.element);
    }
    for (dom::Node* element : tried_)
        dom_->tree.Release(element);
    tried_.clear();
    if (dom_->objects == link_)
        dom_->objects.reset();
    link_.reset();
}

com::control::ControlHost* PageObjects::HostOf(dom::Node* element) const {
    for (const Hosted& h : hosted_)
        if (h.element == element)
            return h.host.get();
    return nullptr;
}

HRESULT PageObjects::ScriptableControl(dom::Node* element, IDispatch** control) {
    if (!control)
        return E_POINTER;
    *control = nullptr;
    for (const Hosted& h : hosted_)
        if (h.element == element && h.scriptable && h.host && h.host->Dispatch()) {
            *control = h.host->Dispatch();
            (*control)->AddRef();
            return S_OK;
        }
    return S_FALSE;
}

void PageObjects::Report(std::string_view message) const {
    if (options_.reportError)
        options_.reportError(message);
}

} // namespace qx::html::browser
