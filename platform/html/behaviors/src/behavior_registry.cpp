#include "behavior_registry.h"

#include "behavior_style.h"
#include "objbase.h"
#include "objbase_activation.h"
#include "qx/com/bstr.h"

#include <algorithm>

namespace qx::html::behaviors {
namespace {

com::ComPtr<IElementBehaviorFactory> FactoryOfValue(const VARIANT& v, HRESULT* hr) {
    *hr = S_OK;
    IUnknown* object = nullptr;
    if (v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH)
        object = v.punkVal;
    else if (v.vt == (VT_BYREF | VT_UNKNOWN) || v.vt == (VT_BYREF | VT_DISPATCH))
        object = v.ppunkVal ? *v.ppunkVal : nullptr;
    else if (v.vt != VT_EMPTY && v.vt != VT_NULL && v.vt != VT_ERROR)
        *hr = E_INVALIDARG;
    if (!object)
        return nullptr;
    com::ComPtr<IElementBehaviorFactory> factory = com::ComPtr<IElementBehaviorFactory>::QueryFrom(object);
    if (!factory)
        *hr = E_INVALIDARG;
    return factory;
}

// "clsid:2D360201-..." or with braces; false for anything else.
bool ClassOf(std::u16string_view classid, CLSID* clsid) {
    if (classid.size() < 6 || !dom::EqualsNoCase(classid.substr(0, 6), u"clsid:"))
        return false;
    std::u16string text(classid.substr(6));
    if (text.empty() || text.front() != u'{')
        text = u"{" + text + u"}";
    return SUCCEEDED(CLSIDFromString(reinterpret_cast<LPCOLESTR>(text.c_str()), clsid));
}

} // namespace

BehaviorRegistry::BehaviorRegistry(dom::DomPtr dom, PageBehaviorOptions options)
    : dom_(std::move(dom)), options_(std::move(options)), documentReady_(dom_->readyState == u"complete") {
    dom_->tree.discarding = [this](dom::Node* child) { DetachSubtree(child); };
}

BehaviorRegistry::~BehaviorRegistry() {
    Close();
}

void BehaviorRegistry::Close() {
    if (closed_)
        return;
    closed_ = true;
    // Behaviours may add behaviours while they detach: take until nothing is left.
    while (!attached_.empty()) {
        auto first = attached_.begin();
        dom::Node* element = first->first;
        const AttachmentPtr a = first->second.back();
        DetachOne(element, a);
    }
    std::map<dom::Node*, com::ComPtr<IUnknown>> objects;
    objects.swap(objects_);
    for (auto& [node, object] : objects) {
        object = nullptr;
        dom_->tree.Release(node);
    }
    dom_->tree.discarding = nullptr;
    if (dom_->behaviors.get() == this)
        dom_->behaviors.reset(); // may be the last reference: nothing after this
}

std::size_t BehaviorRegistry::Count() const {
    std::size_t count = 0;
    for (const auto& [node, list] : attached_)
        count += list.size();
    return count;
}

HRESULT BehaviorRegistry::Add(dom::Node* element, std::u16string_view url, const VARIANT& factory,
                              LONG* cookie) {
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    HRESULT hr = S_OK;
    com::ComPtr<IElementBehaviorFactory> given = FactoryOfValue(factory, &hr);
    if (FAILED(hr))
        return hr;
    return Attach(element, url, given ? given.Get() : FactoryFor(url).Get(), {}, cookie);
}

HRESULT BehaviorRegistry::Attach(dom::Node* element, std::u16string_view url,
                                 IElementBehaviorFactory* factory, const std::u16string& styleUrl,
                                 LONG* cookie) {
    *cookie = 0;
    if (closed_ || !element || !element->IsElement())
        return E_UNEXPECTED;
    // Nobody answers for the URL: nothing is attached, as when a factory finds nothing.
    if (!factory)
        return S_OK;
    const com::ComPtr<IElementBehaviorFactory> keep(factory);
    com::ObjectPtr<CBehaviorSite> site;
    HRESULT hr = com::CreateObject<CBehaviorSite>(site);
    if (FAILED(hr))
        return hr;
    // The element is held from here: the factory and the behaviour may remove it meanwhile.
    dom_->tree.Hold(element);
    site->Connect(dom_, element);
    const com::Bstr name(ParseBehaviorUrl(url).name), whole(url);
    com::ComPtr<IElementBehavior> behavior;
    hr = factory->FindBehavior(name.Get(), whole.Get(), site.Get(), &behavior);
    if (FAILED(hr) || !behavior || closed_) {
        site->Disconnect();
        dom_->tree.Release(element);
        return FAILED(hr) ? hr : S_OK;
    }
    auto a = std::make_shared<Attachment>();
    a->cookie = nextCookie_++;
    a->styleUrl = styleUrl;
    a->behavior = behavior;
    a->members = com::ComPtr<IDispatch>::QueryFrom(behavior.Get());
    a->site = site;
    std::vector<AttachmentPtr>& list = attached_[element];
    if (list.empty())
        dom_->tree.Hold(element);
    list.push_back(a);
    // Init and content ready run before addBehavior returns; either may remove the behaviour.
    hr = behavior->Init(site.Get());
    if (FAILED(hr)) {
        if (!a->detached) {
            a->behavior = nullptr; // refused its site: no Detach for a behaviour never attached
            DetachOne(element, a);
        }
        dom_->tree.Release(element);
        return hr;
    }
    Notify(element, a, BEHAVIOREVENT_CONTENTREADY);
    if (documentReady_)
        Notify(element, a, BEHAVIOREVENT_DOCUMENTREADY);
    dom_->tree.Release(element);
    *cookie = a->detached ? 0 : a->cookie;
    return S_OK;
}

void BehaviorRegistry::Notify(dom::Node* element, const AttachmentPtr& a, LONG event) {
    if (a->detached)
        return;
    if (event == BEHAVIOREVENT_DOCUMENTREADY) {
        if (a->documentReadySent)
            return;
        a->documentReadySent = true;
    }
    const com::ComPtr<IElementBehavior> behavior = a->behavior;
    const HRESULT hr = behavior->Notify(event, nullptr);
    if (FAILED(hr) && options_.notifyFailed)
        options_.notifyFailed(element, event, hr);
}

HRESULT BehaviorRegistry::Remove(dom::Node* element, LONG cookie, VARIANT_BOOL* removed) {
    *removed = VARIANT_FALSE;
    const auto found = attached_.find(element);
    if (found == attached_.end())
        return S_OK;
    const auto it = std::find_if(found->second.begin(), found->second.end(),
                                 [&](const AttachmentPtr& a) { return a->cookie == cookie; });
    if (it == found->second.end())
        return S_OK;
    const AttachmentPtr a = *it;
    // The element may be freed by the removal; the answer is written first.
    *removed = VARIANT_TRUE;
    DetachOne(element, a);
    return S_OK;
}

// Out of the list first (a Detach that removes behaviours finds it gone), then Detach with the
// site still answering, then the site cleared, then the element's hold dropped.
void BehaviorRegistry::DetachOne(dom::Node* element, const AttachmentPtr& a) {
    if (a->detached)
        return;
    a->detached = true;
    const auto found = attached_.find(element);
    bool last = false;
    if (found != attached_.end()) {
        std::erase(found->second, a);
        if (found->second.empty()) {
            attached_.erase(found);
            last = true;
        }
    }
    if (const com::ComPtr<IElementBehavior> behavior = std::exchange(a->behavior, nullptr))
        behavior->Detach();
    a->site->Disconnect();
    a->members = nullptr;
    a->site = nullptr;
    if (last)
        dom_->tree.Release(element);
}

void BehaviorRegistry::DetachSubtree(dom::Node* root) {
    std::vector<std::pair<dom::Node*, AttachmentPtr>> going;
    for (const auto& [node, list] : attached_)
        if (dom::IsInclusiveAncestor(root, node))
            for (const AttachmentPtr& a : list)
                going.emplace_back(node, a);
    for (auto& [node, a] : going)
        DetachOne(node, a);
}

com::ComPtr<IElementBehaviorFactory> BehaviorRegistry::FactoryFor(std::u16string_view url) {
    const BehaviorUrl parsed = ParseBehaviorUrl(url);
    switch (parsed.kind) {
    case BehaviorUrl::Kind::Object: {
        dom::Node* object = dom_->tree.ElementById(parsed.objectId);
        if (!object || !object->Is(u"object"))
            return nullptr;
        return com::ComPtr<IElementBehaviorFactory>::QueryFrom(ObjectOf(object).Get());
    }
    case BehaviorUrl::Kind::Default:
        for (const auto& [name, clsid] : options_.defaultBehaviors)
            if (dom::EqualsNoCase(name, parsed.name)) {
                com::ComPtr<IElementBehaviorFactory> factory;
                if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IElementBehaviorFactory,
                                            reinterpret_cast<void**>(&factory))))
                    return nullptr;
                return factory;
            }
        return options_.hostFactory;
    case BehaviorUrl::Kind::File:
        return options_.hostFactory;
    }
    return nullptr;
}

com::ComPtr<IUnknown> BehaviorRegistry::ObjectOf(dom::Node* objectElement) {
    if (options_.objectOf) {
        com::ComPtr<IDispatch> element;
        if (FAILED(dom::NodeObjectOf(dom_, objectElement, &element)))
            return nullptr;
        const com::ComPtr<IHTMLElement> html = com::ComPtr<IHTMLElement>::QueryFrom(element.Get());
        com::ComPtr<IUnknown> object;
        if (!html || FAILED(options_.objectOf(html.Get(), &object)))
            return nullptr;
        return object;
    }
    const auto made = objects_.find(objectElement);
    if (made != objects_.end())
        return made->second;
    CLSID clsid;
    com::ComPtr<IUnknown> object;
    if (!ClassOf(objectElement->AttributeValue(u"classid"), &clsid) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&object))))
        return nullptr;
    dom_->tree.Hold(objectElement);
    objects_.emplace(objectElement, object);
    return object;
}

void BehaviorRegistry::ApplyStyles() {
    if (closed_)
        return;
    const StyleBehaviors styles(dom_->tree);
    std::vector<dom::Node*> elements;
    dom::Node* document = dom_->tree.Document();
    for (dom::Node* n = document->firstChild; n; n = dom::NextInTree(n, document))
        if (n->IsElement()) {
            dom_->tree.Hold(n);
            elements.push_back(n);
        }
    for (dom::Node* element : elements) {
        if (closed_ || !dom::IsInclusiveAncestor(document, element))
            continue;
        const std::vector<std::u16string> urls =
            BehaviorUrls(options_.styleOf ? options_.styleOf(element) : styles.ValueOf(*element));
        // What the style attached and no longer names goes; what it names anew comes.
        for (const AttachmentPtr& a : Latest(element))
            if (!a->styleUrl.empty() && std::find(urls.begin(), urls.end(), a->styleUrl) == urls.end())
                DetachOne(element, a);
        for (const std::u16string& url : urls) {
            const std::vector<AttachmentPtr> now = Latest(element);
            if (std::none_of(now.begin(), now.end(),
                             [&](const AttachmentPtr& a) { return a->styleUrl == url; })) {
                LONG cookie = 0;
                Attach(element, url, FactoryFor(url).Get(), url, &cookie);
            }
        }
    }
    for (dom::Node* element : elements)
        dom_->tree.Release(element);
}

void BehaviorRegistry::DocumentReady() {
    documentReady_ = true;
    std::vector<std::pair<dom::Node*, AttachmentPtr>> waiting;
    for (const auto& [node, list] : attached_)
        for (const AttachmentPtr& a : list)
            if (!a->documentReadySent)
                waiting.emplace_back(node, a);
    for (auto& [node, a] : waiting)
        Notify(node, a, BEHAVIOREVENT_DOCUMENTREADY);
}

std::vector<BehaviorRegistry::AttachmentPtr> BehaviorRegistry::Latest(dom::Node* element) const {
    const auto found = attached_.find(element);
    if (found == attached_.end())
        return {};
    return {found->second.rbegin(), found->second.rend()};
}

// The latest behaviour wins: its registered name, or else a member of its own.
BehaviorRegistry::AttachmentPtr BehaviorRegistry::Answering(dom::Node* element, std::u16string_view name,
                                                            bool caseSensitive, bool* byName,
                                                            DISPID* id) const {
    const std::vector<AttachmentPtr> latest = Latest(element);
    for (const AttachmentPtr& a : latest) {
        const std::u16string& registered = a->site->Name();
        if (!registered.empty() && a->members &&
            (caseSensitive ? registered == name : dom::EqualsNoCase(registered, name))) {
            *byName = true;
            return a;
        }
    }
    std::u16string text(name);
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(text.data())};
    for (const AttachmentPtr& a : latest) {
        const com::ComPtr<IDispatch> members = a->members;
        if (members && SUCCEEDED(members->GetIDsOfNames(IID_NULL, names, 1, 0, id))) {
            *byName = false;
            return a;
        }
    }
    return nullptr;
}

bool BehaviorRegistry::FindName(dom::Node* element, std::u16string_view name, bool caseSensitive,
                                std::u16string* spelled) {
    bool byName = false;
    DISPID id = DISPID_UNKNOWN;
    if (!Answering(element, name, caseSensitive, &byName, &id))
        return false;
    *spelled = name;
    return true;
}

HRESULT BehaviorRegistry::InvokeName(dom::Node* element, std::u16string_view name, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     IServiceProvider*) {
    bool byName = false;
    DISPID id = DISPID_UNKNOWN;
    const AttachmentPtr a = Answering(element, name, false, &byName, &id);
    if (!a)
        return DISP_E_MEMBERNOTFOUND;
    // Held for the call: the member may remove its own behaviour.
    const com::ComPtr<IDispatch> members = a->members;
    if (!members)
        return DISP_E_MEMBERNOTFOUND; // detached while its name was looked up
    if (byName) {
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return S_OK;
        VariantInit(result);
        result->vt = VT_DISPATCH;
        result->pdispVal = members.Get();
        result->pdispVal->AddRef();
        return S_OK;
    }
    return members->Invoke(id, IID_NULL, lcid, flags, params, result, excepInfo, nullptr);
}

void BehaviorRegistry::ListNames(dom::Node* element, std::vector<std::u16string>& names) {
    for (const AttachmentPtr& a : Latest(element))
        if (!a->site->Name().empty())
            names.push_back(a->site->Name());
}

} // namespace qx::html::behaviors
