// The behaviours of one document's elements: what addBehavior, removeBehavior and the `behavior`
// style attach and detach, the factories they come from, and the members they add to elements.
#pragma once

#include "behavior_site.h"
#include "qx/html/behaviors/page_behaviors.h"

#include <map>
#include <memory>
#include <vector>

namespace qx::html::behaviors {

class BehaviorRegistry final : public dom::ElementBehaviors {
public:
    BehaviorRegistry(dom::DomPtr dom, PageBehaviorOptions options);
    ~BehaviorRegistry() override;

    // dom::ElementBehaviors
    HRESULT Add(dom::Node* element, std::u16string_view url, const VARIANT& factory, LONG* cookie) override;
    HRESULT Remove(dom::Node* element, LONG cookie, VARIANT_BOOL* removed) override;
    bool FindName(dom::Node* element, std::u16string_view name, bool caseSensitive,
                  std::u16string* spelled) override;
    HRESULT InvokeName(dom::Node* element, std::u16string_view name, LCID lcid, WORD flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                       IServiceProvider* caller) override;
    void ListNames(dom::Node* element, std::vector<std::u16string>& names) override;

    void ApplyStyles();
    void DocumentReady();
    std::size_t Count() const;
    // Detaches everything and leaves the document (its elements have no behaviours afterwards).
    void Close();

private:
    struct Attachment {
        LONG cookie = 0;
        std::u16string styleUrl; // the URL when the `behavior` style attached it
        com::ComPtr<IElementBehavior> behavior;
        com::ComPtr<IDispatch> members; // the behaviour's IDispatch, when it has one
        com::ObjectPtr<CBehaviorSite> site;
        bool documentReadySent = false;
        bool detached = false;
    };
    using AttachmentPtr = std::shared_ptr<Attachment>;

    HRESULT Attach(dom::Node* element, std::u16string_view url, IElementBehaviorFactory* factory,
                   const std::u16string& styleUrl, LONG* cookie);
    // The factory of a URL (null when nothing answers for it).
    com::ComPtr<IElementBehaviorFactory> FactoryFor(std::u16string_view url);
    com::ComPtr<IUnknown> ObjectOf(dom::Node* objectElement);
    void Notify(dom::Node* element, const AttachmentPtr& a, LONG event);
    void DetachOne(dom::Node* element, const AttachmentPtr& a);
    // Detaches the behaviours of the elements of a subtree that the tree throws away.
    void DetachSubtree(dom::Node* root);
    // The element's behaviours, latest first.
    std::vector<AttachmentPtr> Latest(dom::Node* element) const;
    // The attachment that answers a name (its registered name or a member of its own).
    AttachmentPtr Answering(dom::Node* element, std::u16string_view name, bool caseSensitive, bool* byName,
                            DISPID* id) const;

    dom::DomPtr dom_;
    PageBehaviorOptions options_;
    std::map<dom::Node*, std::vector<AttachmentPtr>> attached_; // each node held while here
    std::map<dom::Node*, com::ComPtr<IUnknown>> objects_;       // classes made for OBJECTs, held
    LONG nextCookie_ = 1;
    bool documentReady_ = false;
    bool closed_ = false;
};

} // namespace qx::html::behaviors
