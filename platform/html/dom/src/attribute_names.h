// An element's content attributes as names on its IDispatchEx, as the old browser has them:
// `td.free` reads the attribute, `td.free = 1` writes "1". Objects put by script (functions, say)
// are kept beside the attributes as expandos and never serialised.
#pragma once

#include "qx/com/dynamic_names.h"
#include "qx/html/dom/node_tree.h"

namespace qx::html::dom {

class AttributeNames final : public com::DynamicNames {
public:
    explicit AttributeNames(Node* element) : element_(element) {}

    bool FindName(std::u16string_view name, bool caseSensitive, std::u16string* spelled) override;
    HRESULT EnsureName(std::u16string_view name) override;
    HRESULT InvokeName(std::u16string_view name, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, IServiceProvider* caller) override;
    HRESULT DeleteName(std::u16string_view name) override;
    DWORD NameProperties(std::u16string_view name) override;
    void ListNames(std::vector<std::u16string>& names) override;

private:
    Node* element_;
    com::ExpandoNames objects_;
};

// An attribute value as text: VT_BOOL as "true"/"false", numbers in decimal, null and empty as "".
HRESULT AttributeText(const VARIANT& value, std::u16string* text);

} // namespace qx::html::dom
