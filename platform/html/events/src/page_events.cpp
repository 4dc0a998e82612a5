#include "qx/html/events/page_events.h"

#include "event_object.h"
#include "event_points.h"

#include "oleauto.h"
#include "qx/com/variant.h"

#include <algorithm>
#include <utility>

namespace qx::html::events {
namespace {

// "onclick" in any case gives "onclick"; a name without "on" gives "".
std::u16string HandlerName(std::u16string_view name) {
    std::u16string lower = dom::LowerAscii(name);
    return lower.size() > 2 && lower.starts_with(u"on") ? lower : std::u16string();
}

} // namespace

bool EventBubbles(std::u16string_view type) {
    static constexpr std::u16string_view kStaying[] = {
        u"blur",           u"focus",          u"load",   u"unload",      u"readystatechange",
        u"change",         u"scroll",         u"resize", u"mouseenter",  u"mouseleave",
        u"propertychange", u"layoutcomplete", u"error",  u"beforeunload"};
    return std::find(std::begin(kStaying), std::end(kStaying), dom::LowerAscii(type)) == std::end(kStaying);
}

PageEvents::PageEvents(dom::DomPtr dom, Host* host) : dom_(std::move(dom)), host_(host) {}

PageEvents::~PageEvents() {
    Clear();
}

std::shared_ptr<PageEvents> PageEvents::Of(const dom::DomPtr& dom) {
    if (!dom)
        return nullptr;
    if (std::shared_ptr<PageEvents> events = std::dynamic_pointer_cast<PageEvents>(dom->events))
        return events;
    auto events = std::make_shared<PageEvents>(dom);
    dom->events = events;
    return events;
}

void PageEvents::Clear() {
    std::map<dom::Node*, NodeHandlers> handlers;
    handlers.swap(handlers_);
    std::map<dom::Node*, com::ComPtr<EventPoints>> points;
    points.swap(points_);
    const com::ComPtr<EventPoints> windowPoints = std::move(windowPoints_);
    dom::Node* active = std::exchange(dom_->activeElement, nullptr);
    // Released after the maps are empty: a sink or handler that dies may call back into the page.
    for (auto& [node, h] : handlers)
        dom_->tree.Release(node);
    if (active)
        dom_->tree.Release(active);
    handlers.clear();
    points.clear();
}

IConnectionPointContainer* PageEvents::ConnectionPoints(dom::Node* node) {
    if (!node || (!node->IsElement() && node->type != dom::NodeType::Document))
        return nullptr;
    auto found = points_.find(node);
    if (found == points_.end()) {
        com::ComPtr<EventPoints> points(new EventPoints(dom_, node));
        found = points_.emplace(node, std::move(points)).first;
    }
    return found->second.Get();
}

IConnectionPointContainer* PageEvents::WindowConnectionPoints() {
    if (!windowPoints_) {
        windowPoints_ = com::ComPtr<EventPoints>(new EventPoints(dom_, nullptr));
    }
    return windowPoints_.Get();
}

bool PageEvents::DispatchToWindow(std::u16string_view type) {
    if (!windowPoints_)
        return true;
    EventInit init;
    init.type = dom::LowerAscii(type);
    com::ComPtr<IDispatch> event;
    if (FAILED(CreateEventObject(init, nullptr, &event)))
        return true;
    const com::ComPtr<EventPoints> points = windowPoints_;
    const com::ComPtr<IEventState> state = com::ComPtr<IEventState>::QueryFrom(event.Get());
    current_.push_back(event);
    if (!points->Fire(u"on" + init.type))
        state->SetCancelled();
    current_.pop_back();
    return !state->Cancelled();
}

void PageEvents::MoveFocus(dom::Node* element) {
    dom::Node* old = dom_->activeElement;
    if (old == element)
        return;
    if (element)
        dom_->tree.Hold(element);
    dom_->activeElement = element;
    EventInit init;
    if (old) {
        init.type = u"blur";
        Dispatch(old, init);
        dom_->tree.Release(old);
    }
    // A blur handler may have moved the focus elsewhere already.
    if (element && dom_->activeElement == element) {
        init.type = u"focus";
        Dispatch(element, init);
    }
}

PageEvents::NodeHandlers& PageEvents::HandlersOf(dom::Node* node) {
    auto found = handlers_.find(node);
    if (found == handlers_.end()) {
        dom_->tree.Hold(node);
        found = handlers_.emplace(node, NodeHandlers{}).first;
    }
    return found->second;
}

HRESULT PageEvents::CurrentEvent(VARIANT* event) const {
    if (!event)
        return E_POINTER;
    VariantInit(event);
    if (current_.empty()) {
        event->vt = VT_NULL;
        return S_OK;
    }
    event->vt = VT_DISPATCH;
    event->pdispVal = current_.back().Get();
    event->pdispVal->AddRef();
    return S_OK;
}

HRESULT PageEvents::PutHandler(dom::Node* node, std::u16string_view name, const VARIANT& handler) {
    const std::u16string key = HandlerName(name);
    if (!node || key.empty())
        return E_INVALIDARG;
    com::ComPtr<IDispatch> function, bound;
    if (handler.vt == VT_DISPATCH || handler.vt == VT_BSTR) {
        com::ComPtr<IDispatch> self;
        HRESULT hr = dom::NodeObjectOf(dom_, node, &self);
        if (SUCCEEDED(hr) && !host_)
            hr = E_NOTIMPL; // no script runs here
        if (SUCCEEDED(hr) && handler.vt == VT_DISPATCH) {
            function = handler.pdispVal;
            hr = handler.pdispVal ? host_->Bind(self.Get(), handler.pdispVal, &bound) : S_OK;
        } else if (SUCCEEDED(hr)) {
            hr = host_->Compile(self.Get(), {handler.bstrVal, SysStringLen(handler.bstrVal)}, &bound);
            function = bound;
        }
        if (FAILED(hr))
            return hr;
    } else if (handler.vt != VT_NULL && handler.vt != VT_EMPTY) {
        return DISP_E_TYPEMISMATCH;
    }
    HandlersOf(node).properties[key] = {std::move(function), std::move(bound)};
    return S_OK;
}

HRESULT PageEvents::GetHandler(dom::Node* node, std::u16string_view name, VARIANT* handler) {
    VariantInit(handler);
    handler->vt = VT_NULL;
    const auto found = handlers_.find(node);
    if (found == handlers_.end())
        return S_OK;
    const auto property = found->second.properties.find(HandlerName(name));
    if (property != found->second.properties.end() && property->second.first) {
        handler->vt = VT_DISPATCH;
        handler->pdispVal = property->second.first.Get();
        handler->pdispVal->AddRef();
    }
    return S_OK;
}

HRESULT PageEvents::Attach(dom::Node* node, std::u16string_view name, IDispatch* handler,
                           VARIANT_BOOL* done) {
    const std::u16string key = HandlerName(name);
    if (done)
        *done = VARIANT_FALSE;
    if (!node || key.empty() || !handler)
        return key.empty() || !handler ? S_OK : E_INVALIDARG;
    std::vector<com::ComPtr<IDispatch>>& list = HandlersOf(node).attached[key];
    // The same function attached again still runs once.
    if (std::none_of(list.begin(), list.end(), [&](const auto& h) { return Same(h.Get(), handler); }))
        list.emplace_back(handler);
    if (done)
        *done = VARIANT_TRUE;
    return S_OK;
}

HRESULT PageEvents::Detach(dom::Node* node, std::u16string_view name, IDispatch* handler) {
    const auto found = handlers_.find(node);
    if (found == handlers_.end() || !handler)
        return S_OK;
    const auto list = found->second.attached.find(HandlerName(name));
    if (list != found->second.attached.end())
        std::erase_if(list->second, [&](const auto& h) { return Same(h.Get(), handler); });
    return S_OK;
}

HRESULT PageEvents::Fire(dom::Node* node, std::u16string_view name, const VARIANT& eventObject,
                         VARIANT_BOOL* done) {
    const std::u16string key = HandlerName(name);
    if (!node || key.empty())
        return E_INVALIDARG;
    EventInit init;
    init.type = key.substr(2);
    const bool delivered =
        Dispatch(node, init, eventObject.vt == VT_DISPATCH ? eventObject.pdispVal : nullptr);
    if (done)
        *done = delivered ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT PageEvents::Click(dom::Node* node) {
    EventInit init;
    init.type = u"click";
    Dispatch(node, init);
    return S_OK;
}

com::ComPtr<IDispatch> PageEvents::InlineHandler(dom::Node* node, const std::u16string& name) {
    const dom::Attribute* attribute = node->IsElement() ? node->FindAttribute(name) : nullptr;
    if (!attribute || !host_)
        return nullptr;
    NodeHandlers& handlers = HandlersOf(node);
    auto& [text, function] = handlers.inline_[name];
    if (function && text == attribute->value)
        return function;
    text = attribute->value;
    function = nullptr;
    com::ComPtr<IDispatch> self;
    if (SUCCEEDED(dom::NodeObjectOf(dom_, node, &self)))
        host_->Compile(self.Get(), text, &function);
    return function;
}

bool PageEvents::Call(IDispatch* handler, IDispatch* event) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_DISPATCH;
    arg.pdispVal = event;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    com::Variant result;
    if (FAILED(Invoke(handler, params, result)))
        return true;
    return !(result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE);
}

HRESULT PageEvents::Invoke(IDispatch* handler, DISPPARAMS& params, com::Variant& result) {
    EXCEPINFO info{};
    const HRESULT hr =
        handler->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &info, nullptr);
    if (FAILED(hr)) {
        if (host_)
            host_->HandlerFailed(hr, info);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
    return hr;
}

bool PageEvents::Dispatch(dom::Node* source, const EventInit& init, IDispatch* template_) {
    if (!source)
        return true;
    com::ComPtr<IDispatch> sourceObject, event;
    if (FAILED(dom::NodeObjectOf(dom_, source, &sourceObject)) ||
        FAILED(CreateEventObject(init, sourceObject.Get(), &event)))
        return true;
    com::ComPtr<IEventState> state = com::ComPtr<IEventState>::QueryFrom(event.Get());
    if (template_)
        if (com::ComPtr<IEventState> from = com::ComPtr<IEventState>::QueryFrom(template_))
            state->CopyFrom(from.Get());
    // The path is fixed when delivery starts; each node on it is held while the handlers run, so a
    // handler that removes its own element (or an ancestor) leaves the walk intact.
    std::vector<com::ComPtr<IDispatch>> path;
    std::vector<dom::Node*> nodes;
    for (dom::Node* n = source; n; n = n->parent) {
        com::ComPtr<IDispatch> object;
        if (FAILED(dom::NodeObjectOf(dom_, n, &object)))
            break;
        path.push_back(std::move(object));
        nodes.push_back(n);
        if (init.staysAtSource || !EventBubbles(init.type))
            break;
    }
    const std::u16string name = u"on" + dom::LowerAscii(init.type);
    current_.push_back(event);
    for (std::size_t i = 0; i < nodes.size() && !state->CancelBubble(); ++i)
        DeliverAt(nodes[i], name, event.Get(), state.Get());
    current_.pop_back();
    return !state->Cancelled();
}

// At each node: the handler property or the inline handler, the attached handlers, then the sinks.
void PageEvents::DeliverAt(dom::Node* node, const std::u16string& name, IDispatch* event,
                           IEventState* state) {
    // Handlers are taken before any runs: one that detaches or attaches changes the next delivery.
    std::vector<com::ComPtr<IDispatch>> run;
    const auto found = handlers_.find(node);
    const auto property = found == handlers_.end() ? decltype(found->second.properties.end()){}
                                                   : found->second.properties.find(name);
    if (found != handlers_.end() && property != found->second.properties.end()) {
        if (property->second.second)
            run.push_back(property->second.second);
    } else if (com::ComPtr<IDispatch> inlineHandler = InlineHandler(node, name)) {
        run.push_back(std::move(inlineHandler));
    }
    const auto again = handlers_.find(node);
    if (again != handlers_.end()) {
        const auto attached = again->second.attached.find(name);
        if (attached != again->second.attached.end())
            run.insert(run.end(), attached->second.begin(), attached->second.end());
    }
    for (const com::ComPtr<IDispatch>& handler : run)
        if (!Call(handler.Get(), event))
            state->SetCancelled();
    const auto points = points_.find(node);
    if (points == points_.end())
        return;
    const com::ComPtr<EventPoints> held = points->second; // a sink may close the page
    if (!held->Fire(name))
        state->SetCancelled();
}

bool PageEvents::Same(IDispatch* a, IDispatch* b) {
    return a == b || (host_ && host_->Same(a, b));
}

} // namespace qx::html::events
