#include "event_points.h"

#include "mshtml.h"
#include "oleauto.h"
#include "qx/com/variant.h"

#include <algorithm>
#include <iterator>

namespace qx::html::events {
namespace {

// Elements whose default event interface is HTMLTextContainerEvents.
bool IsTextContainer(const dom::Node& node) {
    static constexpr std::u16string_view kTags[] = {u"body", u"div", u"span", u"td", u"th", u"textarea"};
    return std::find(std::begin(kTags), std::end(kTags), node.name) != std::end(kTags);
}

const com::DispMember* EventNamed(const com::DispInterface& decl, std::u16string_view name) {
    for (UINT i = 0; i < decl.memberCount; ++i)
        if (decl.members[i].name == name)
            return &decl.members[i];
    return nullptr;
}

} // namespace

std::vector<const com::DispInterface*> EventInterfacesOf(const dom::Node& node) {
    if (node.type == dom::NodeType::Document)
        return {&kDisp_HTMLDocumentEvents};
    if (node.Is(u"img"))
        return {&kDisp_HTMLImgEvents, &kDisp_HTMLElementEvents};
    if (node.Is(u"select"))
        return {&kDisp_HTMLSelectElementEvents, &kDisp_HTMLElementEvents};
    if (IsTextContainer(node))
        return {&kDisp_HTMLTextContainerEvents, &kDisp_HTMLElementEvents};
    return {&kDisp_HTMLElementEvents};
}

std::vector<const com::DispInterface*> WindowEventInterfaces() {
    return {&kDisp_HTMLWindowEvents};
}

EventPoints::EventPoints(dom::DomPtr dom, dom::Node* node) : dom_(std::move(dom)), node_(node) {
    if (node_)
        dom_->tree.Hold(node_);
    const std::vector<const com::DispInterface*> interfaces =
        node_ ? EventInterfacesOf(*node_) : WindowEventInterfaces();
    for (const com::DispInterface* decl : interfaces)
        points_.push_back({&AddConnectionPoint(*decl->iid, decl), decl});
    // IID_IDispatch reaches the events of the default interface, for sinks that answer no other.
    if (!interfaces.empty())
        points_.push_back({&AddConnectionPoint(IID_IDispatch, interfaces.front()), interfaces.front()});
}

EventPoints::~EventPoints() {
    if (node_)
        dom_->tree.Release(node_);
}

com::ComPtr<IUnknown> EventPoints::Owner() const {
    if (!node_)
        return com::ComPtr<IUnknown>::QueryFrom(dom_->script);
    com::ComPtr<IDispatch> object;
    dom::NodeObjectOf(dom_, node_, &object);
    return com::ComPtr<IUnknown>::QueryFrom(object.Get());
}

STDMETHODIMP EventPoints::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
        *ppv = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }
    const com::ComPtr<IUnknown> owner = Owner();
    if (!owner) {
        if (!IsEqualIID(riid, IID_IUnknown))
            return E_NOINTERFACE;
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return owner->QueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) EventPoints::AddRef() {
    return ++refs_;
}

STDMETHODIMP_(ULONG) EventPoints::Release() {
    const ULONG count = --refs_;
    if (count == 0)
        delete this;
    return count;
}

bool EventPoints::Fire(std::u16string_view name) const {
    bool go = true;
    for (const Point& p : points_) {
        const com::DispMember* member = EventNamed(*p.decl, name);
        if (!member)
            continue;
        // The sinks are a snapshot, each held during its call: a sink may unadvise itself or others.
        for (const com::ComPtr<IUnknown>& sink : p.point->Sinks()) {
            const com::ComPtr<IDispatch> dispatch = com::ComPtr<IDispatch>::QueryFrom(sink.Get());
            if (!dispatch)
                continue;
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            com::Variant result;
            EXCEPINFO info{};
            UINT argError = 0;
            dispatch->Invoke(member->dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result,
                             &info, &argError);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
            if (result.vt == VT_BOOL && result.boolVal == VARIANT_FALSE)
                go = false;
        }
    }
    return go;
}

} // namespace qx::html::events
