// The behaviour factory: "TreeView" makes a tree, "TreeNode" a node of this factory's tree.
#include "tree_view_factory.h"

#include "tree_node_behavior.h"
#include "tree_view_behavior.h"

#include <qx/com/bstr.h>

STDMETHODIMP CTreeViewFactory::FindBehavior(BSTR bstrBehavior, BSTR, IElementBehaviorSite*,
                                            IElementBehavior** ppBehavior) {
    if (!ppBehavior)
        return E_POINTER;
    *ppBehavior = nullptr;
    const std::u16string_view name(bstrBehavior ? bstrBehavior : u"", SysStringLen(bstrBehavior));
    if (name == u"TreeView")
        return qx::com::CreateInstance<CTreeViewBehavior>(nullptr, IID_IElementBehavior,
                                                          reinterpret_cast<void**>(ppBehavior));
    if (name == u"TreeNode") {
        qx::com::ComPtr<IElementBehavior> made;
        HRESULT hr = qx::com::CreateInstance<CTreeNodeBehavior>(nullptr, IID_IElementBehavior,
                                                                reinterpret_cast<void**>(&made));
        if (FAILED(hr))
            return hr;
        static_cast<CTreeNodeBehavior*>(made.Get())->tree_ = tree_;
        *ppBehavior = made.Detach();
    }
    return S_OK;
}
