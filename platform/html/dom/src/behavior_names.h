// An element's behaviour members as names on its IDispatchEx: each call goes to the document's
// behaviour piece with the element, so the names follow behaviours as they come and go.
#pragma once

#include "qx/com/dynamic_names.h"
#include "qx/html/dom/html_document.h"

namespace qx::html::dom {

class BehaviorNames final : public com::DynamicNames {
public:
    BehaviorNames(DomDocument* dom, Node* element) : dom_(dom), element_(element) {}

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override {
        const std::shared_ptr<ElementBehaviors> behaviors = dom_->behaviors;
        return behaviors && behaviors->FindName(element_, name, caseSensitive, spelled);
    }
    // Behaviours bring their own members; nothing is made here.
    HRESULT EnsureName(std::u16string_view) override { return DISP_E_UNKNOWNNAME; }
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override {
        // Held for the call: the member may close the page's behaviours.
        const std::shared_ptr<ElementBehaviors> behaviors = dom_->behaviors;
        return behaviors
                   ? behaviors->InvokeName(element_, name, lcid, flags, params, result, excepInfo, caller)
                   : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT DeleteName(std::u16string_view) override { return S_FALSE; }
    DWORD NameProperties(std::u16string_view) override {
        return fdexPropCanGet | fdexPropCanPut | fdexPropCanCall;
    }
    void ListNames(std::vector<std::u16string>& names) override {
        if (const std::shared_ptr<ElementBehaviors> behaviors = dom_->behaviors)
            behaviors->ListNames(element_, names);
    }

private:
    DomDocument* dom_;
    Node* element_;
};

} // namespace qx::html::dom
